// Any file chosen under "All Files": imported into the table and the curve's numbers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "acquisition/RecordImport.h"
#include "link/OperatorMessages.h"

namespace {
class Discard : public OperatorMessages {
public:
    void show(const Message&, MessageIcon) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Discard messages;
    RecordTable table;
    ImportState state;
    importRecordBytes(std::string(reinterpret_cast<const char*>(data), size), table, state,
                      messages);
    for (std::size_t r = 0; r < table.recordCount(); ++r)
        for (std::size_t k = 0; k < table.fieldCount(); ++k) (void)table.value(r, k);
    return 0;
}
