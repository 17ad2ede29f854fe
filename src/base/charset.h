#pragma once
// The charsets a page may come in; the program's own text is Windows-1251.

namespace qm {

enum class Charset { Windows1251, Utf8, Koi8R, Koi8U, Cp866, Iso88595, Utf16LE, Utf16BE };
inline constexpr int kCharsetCount = 8;

} // namespace qm
