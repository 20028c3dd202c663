// A parameter file's bytes, as an operator might pick any file: read, applied to the page and
// encoded into both download frames.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/Download.h"
#include "config/ParameterFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const config::ParameterFileRead file = config::decodeParameterFile(bytes);
    if (!file.ok())
        return 0;
    config::BasicConfigModel m;
    config::applyParameterFile(m, file.values);
    (void)config::firstUnknownChoice(m, file.values);
    (void)config::singleDownloadFrame(7, m);
    (void)config::batchDownloadFrame(m);
    (void)config::encodeParameterFile(config::parameterFileValues(m));
    return 0;
}
