#include "tools/asset_record.h"

#include "uni/number_text.h"

namespace z2e {

AssetRecord AssetRecord::fromColumns(const std::function<std::string(int)>& text, int first)
{
    AssetRecord r;
    int column = first;
    for (std::string* each : {&r.kind, &r.serialKey, &r.serial, &r.model, &r.time, &r.system})
        *each = text(column++);
    uni::text::parseSignedDecimal(text(column++), r.enclosure);
    uni::text::parseUnsignedDecimal(text(column++), r.slot);
    for (std::string* each : {&r.place, &r.firmware, &r.calibrationDate, &r.operation})
        *each = text(column++);
    std::int32_t result = 0;
    if (uni::text::parseSignedDecimal(text(column++), result))
        r.result = result;
    for (std::string* each :
         {&r.status, &r.verification, &r.firmwareBefore, &r.firmwareAfter, &r.resultDocument, &r.user})
        *each = text(column++);
    return r;
}

} // namespace z2e
