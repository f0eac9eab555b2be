#include "cli/input_detection.h"

#include <cstdio>
#include <cstdlib>

#include "encoding/encoding_names.h"

Detected DetectInput(Input& in, double minConfidence) {
    const std::string sample = in.Peek(kDetectionSample);
    Detected result;
    result.detection = DetectEncoding(sample, sample.size() < kDetectionSample);
    result.usable = IsNamed(result.detection, minConfidence);
    switch (result.detection.kind) {
        case Detection::Kind::Ascii: result.name = "ascii"; break;
        case Detection::Kind::Encoding: result.name = EncodingName(result.detection.encoding); break;
        case Detection::Kind::Utf32LE: result.name = "utf-32le"; break;
        case Detection::Kind::Utf32BE: result.name = "utf-32be"; break;
        case Detection::Kind::Binary: result.name = "binary"; break;
        case Detection::Kind::Unknown: result.name = "unknown"; break;
    }
    if (result.usable && result.detection.kind == Detection::Kind::Encoding) result.encoding = result.detection.encoding;
    return result;
}

double MinConfidence(const Arguments& args) {
    const auto text = args.Option("--min-confidence");
    if (!text) return kAutoConfidence;
    char* end = nullptr;
    const double value = std::strtod(text->c_str(), &end);
    if (text->empty() || *end != '\0' || !(value >= 0 && value <= 1))
        throw UsageError{"--min-confidence needs a number from 0 to 1, not '" + *text + "'"};
    return value;
}

UnknownEncoding LeftAlone(const std::string& file, const Detected& detected, double minConfidence) {
    const Detection& d = detected.detection;
    switch (d.kind) {
        case Detection::Kind::Binary: return {file, detected.name, "binary data, left alone"};
        case Detection::Kind::Utf32LE:
        case Detection::Kind::Utf32BE:
            return {file, detected.name, std::string(detected.name) + ", which is not converted, left alone"};
        case Detection::Kind::Encoding: {
            char why[160];
            std::snprintf(why, sizeof why, "%s at confidence %.2f, below %.2f: left alone (give it with -f)", detected.name,
                          d.confidence, minConfidence);
            return {file, detected.name, why};
        }
        default: return {file, detected.name, "cannot tell the encoding, left alone (give it with -f)"};
    }
}
