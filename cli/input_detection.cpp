#include "cli/input_detection.h"

#include "encoding/encoding_detection.h"

Detected DetectInput(Input& in) {
    const std::string sample = in.Peek(kDetectionSample);
    Detection detection = DetectEncoding(sample, sample.size() < kDetectionSample);
    Detected result;
    result.confidence = detection.confidence;
    result.known = detection.kind == Detection::Kind::Ascii || detection.kind == Detection::Kind::Encoding;
    if (detection.kind == Detection::Kind::Encoding) result.encoding = detection.encoding;
    return result;
}
