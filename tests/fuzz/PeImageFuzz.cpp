// libFuzzer target of the PE reader, which the simulated spooler runs over
// every module file an image brings and the catalog over every file it
// hashes: whatever the bytes, it must stay within them, and what it reads
// must agree with itself (every export name lies in the file, the layout the
// catalog hashes is inside the bytes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/catalog/FileHash.h"
#include "platform/pe/PeExports.h"
#include "platform/pe/PeImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto headers = kvt::pe::ReadPeHeaders(bytes);
    const auto layout = kvt::catalog::ReadPeLayout(bytes);
    if (layout && !headers) std::abort();
    if (layout && (layout->certificateEntryOffset + 8 > size || layout->certificateOffset > size)) std::abort();
    if (!headers) return 0;
    if (headers->directories.size() > 16) std::abort();
    if (const auto names = kvt::pe::ReadExportNames(bytes, *headers)) {
        for (const auto& name : *names)
            if (name.size() > size || name.find('\0') != std::string_view::npos) std::abort();
    }
    return 0;
}
