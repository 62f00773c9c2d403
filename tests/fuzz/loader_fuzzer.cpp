// Arbitrary bytes through the real loader; whatever loads must survive save and reload.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "tests/fuzz/round_trip.h"

namespace {
void Quiet(const std::u16string&, const std::u16string&) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TellUser = Quiet;
    std::string problem =
        CheckLoadSaveRoundTrip(std::string(reinterpret_cast<const char*>(data), size));
    if (!problem.empty()) {
        fprintf(stderr, "round trip broken: %s\n", problem.c_str());
        abort();
    }
    return 0;
}
