#pragma once
// Mojibake that reached the text as HTML character references ("&ETH;&iexcl;&Ntilde;", "&#1056;&#176;"):
// the references to characters beyond ASCII, named and numbered, are undone before the readings are;
// those of ASCII ("&amp;", "&lt;") are markup and stay.
#include <cstddef>
#include <string>
#include <string_view>

namespace mojibake {

// `text` with its references beyond ASCII decoded into `out`, `count` of them; false when there are none.
bool DecodeReferences(std::u32string_view text, std::u32string& out, std::size_t& count);

// Whether bytes that keep ASCII as it is (UTF-8, the code pages) hold such a reference: a text
// without one has nothing for DecodeReferences to undo, '&' or not.
bool HasReferences(std::string_view bytes);

}  // namespace mojibake
