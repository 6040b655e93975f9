// libFuzzer target: the command line, one argument per NUL-separated piece.
#include "server/ServerOptions.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace vornik::server;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> arguments(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back() += char(data[i]);
    }
    const ParseResult result = parseCommandLine(arguments);
    if (result.error.empty() && !result.options.showHelp
        && (result.options.maxUploadBytes <= 0 || result.options.tokenLifetimeMs < 0 || result.options.threads < 1))
        __builtin_trap();
    result.options.publicBase();
    return 0;
}
