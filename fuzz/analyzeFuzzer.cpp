// libFuzzer target: arbitrary bytes through everything a user can reach. A broken rule, a crash, a
// sanitizer report or an exception the API does not promise is a finding.

#include "fuzz/userSurface.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const SurfaceResult result = exerciseUserSurface({data, size});
    if (result.broken.empty())
        return 0;
    for (const std::string& rule : result.broken)
        std::fprintf(stderr, "broken: %s\n", rule.c_str());
    std::abort();
}
