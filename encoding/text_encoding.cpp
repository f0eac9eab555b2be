#include "encoding/text_encoding.h"

ConversionMap PivotMapOf(const TextConversion& singleByte) {
    const int toPivot = FromTable[CodePageOf(singleByte.source)];
    const int fromPivot = singleByte.fido ? FidoTarget : ToTable[CodePageOf(singleByte.target)];
    return ComposeConversion(toPivot, fromPivot);
}
