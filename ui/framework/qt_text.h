// Text between the program's wide strings and Qt. Display text converts losslessly both ways: the
// lone surrogates U+DC80..U+DCFF that carry the bytes of non-UTF-8 file names survive a round trip
// through QString (UTF-16 keeps them as single code units). A path that comes from Qt (a dialog, a
// command line, a dropped file) enters through PathFromQString, which goes through the bytes the
// file system uses; display text is never turned back into a path.
#pragma once
#include <QString>
#include <string>
#include <string_view>

[[nodiscard]] QString ToQString(std::wstring_view text);
[[nodiscard]] std::wstring FromQString(const QString& text);
// A local path from Qt, as the program's wide path: the file system's bytes (QFile::encodeName)
// mapped losslessly into wide text. Empty for an empty path.
[[nodiscard]] std::wstring PathFromQString(const QString& path);
// A wide path as Qt's local path (QFile::decodeName of its bytes), for dialogs and URLs.
[[nodiscard]] QString PathToQString(std::wstring_view path);
