#include "gui/app/text_convert.h"

namespace tarnix::gui {

QString ToQ(std::wstring_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (wchar_t wc : text) {
    char32_t c = static_cast<char32_t>(wc);
    if (c >= 0x10000 && c <= 0x10FFFF) {
      out.append(QChar(static_cast<char16_t>(0xD7C0 + (c >> 10))));
      out.append(QChar(static_cast<char16_t>(0xDC00 | (c & 0x3FF))));
    } else if (c < 0x10000) {
      out.append(QChar(static_cast<char16_t>(c)));
    } else {
      out.append(QChar(static_cast<char16_t>(0xFFFD)));
    }
  }
  return out;
}

std::wstring FromQ(const QString& text) {
  std::wstring out;
  out.reserve(static_cast<size_t>(text.size()));
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    char16_t u = text[i].unicode();
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n) {
      char16_t l = text[i + 1].unicode();
      if (l >= 0xDC00 && l <= 0xDFFF) {
        out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (l - 0xDC00)));
        ++i;
        continue;
      }
    }
    out.push_back(static_cast<wchar_t>(u));
  }
  return out;
}

QString CaptionWith(const QString& caption, const QString& name) {
  QString shown = name;
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  QString text = caption;
  return text.replace(caption.contains(QLatin1Char('#')) ? QLatin1Char('#') : QLatin1Char('*'), shown);
}

}  // namespace tarnix::gui
