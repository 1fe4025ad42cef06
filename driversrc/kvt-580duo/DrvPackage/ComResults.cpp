#include "driversrc/kvt-580duo/DrvPackage/ComResults.h"

namespace kvt::plugin {

std::string_view HResultName(HResult result) {
    switch (result) {
        case hr::SOk: return "S_OK";
        case hr::SFalse: return "S_FALSE";
        case hr::ENotImpl: return "E_NOTIMPL";
        case hr::ENoInterface: return "E_NOINTERFACE";
        case hr::EFail: return "E_FAIL";
        case hr::EOutOfMemory: return "E_OUTOFMEMORY";
        case hr::ClassENoAggregation: return "CLASS_E_NOAGGREGATION";
        case hr::ClassEClassNotAvailable: return "CLASS_E_CLASSNOTAVAILABLE";
        default: return {};
    }
}

}  // namespace kvt::plugin
