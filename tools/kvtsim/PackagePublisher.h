#pragma once
// The publisher of a driver package, as a company makes its computers trust
// it: the signer of each catalog at the top of the package folder is added
// to the image's Trusted Publishers ("trustedPublishers", SHA-1 thumbprints),
// as `certutil -addstore TrustedPublisher` or a group policy would. An
// unsigned catalog, or one whose signature does not hold, adds nobody.
#include <filesystem>

#include "platform/sim/World.h"

namespace kvt::kvtsim {

// The number of publishers added.
int TrustPackagePublisher(sim::World& world, const std::filesystem::path& packageDirectory);

}  // namespace kvt::kvtsim
