#include "ui/framework/qt_text.h"

#include <QFile>

#include "platform/file_name_text.h"

QString ToQString(std::wstring_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (const wchar_t c : text) {
    const auto code = static_cast<char32_t>(c);
    if (code >= 0x10000 && code <= 0x10FFFF) {
      out.append(QChar::highSurrogate(code));
      out.append(QChar::lowSurrogate(code));
    } else if (code < 0x10000) {
      out.append(QChar(static_cast<char16_t>(code)));  // lone surrogates kept as they are
    } else {
      out.append(QChar(QChar::ReplacementCharacter));
    }
  }
  return out;
}

std::wstring FromQString(const QString& text) {
  std::wstring out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
        QChar::isLowSurrogate(text[i + 1].unicode())) {
      out.push_back(static_cast<wchar_t>(QChar::surrogateToUcs4(unit, text[i + 1].unicode())));
      ++i;
    } else {
      out.push_back(static_cast<wchar_t>(unit));
    }
  }
  return out;
}

std::wstring PathFromQString(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return platform::FileNameToWide(
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString PathToQString(std::wstring_view path) {
  std::string bytes;
  if (!platform::FileNameFromWide(path, bytes)) return ToQString(path);
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}
