#pragma once
// The tests compare images as `kvtsim compare` does.
#include "tools/kvtsim/ImageCompare.h"

namespace kvt::test {

using kvtsim::ImageDifferences;

}  // namespace kvt::test
