// The encodings of the text files korvctl, the module and the simulator
// read: what Windows tools write. Plain bytes (ANSI or UTF-8) are taken as
// they are; a UTF-8 byte-order mark is dropped; UTF-16 with its byte-order
// mark (what Windows PowerShell 5.1's '>' and Notepad's "Unicode" write) is
// read as the text it holds. Without a mark, UTF-16 is not told from other
// bytes, and is taken as plain bytes, which is what the platform's profile
// functions do too.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class TextEncoding { kPlain, kUtf8Bom, kUtf16Le, kUtf16Be };

// "UTF-16 (little-endian) with a byte-order mark"...: for messages.
const char* TextEncodingName(TextEncoding encoding);

// The text of a file's bytes, in UTF-8 for a file with a byte-order mark,
// byte for byte otherwise; encoding gets what the bytes begin with. A lone
// surrogate of UTF-16 is kept as its three bytes (as WTF-8 does), so that
// the text goes back to the same bytes. Nothing for UTF-16 of an odd number
// of bytes, which is no text.
std::optional<std::string> TextOfBytes(std::string_view bytes, TextEncoding& encoding);
// The bytes of such a text in an encoding, its byte-order mark first.
std::string BytesOfText(std::string_view text, TextEncoding encoding);

// Whether bytes without a byte-order mark look like UTF-16 text: a NUL in
// every other byte of the first ones. For a message that says why such a
// file is not read as text.
bool LooksLikeUtf16(std::string_view bytes);
