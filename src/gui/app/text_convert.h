#pragma once
// Text between the engine (std::wstring, UTF-32 on this platform) and Qt
// (QString, UTF-16). Lone surrogates, which stand for the bytes of a file
// name that is not UTF-8, survive both ways unchanged.
#include <QString>
#include <string>
#include <string_view>

namespace tarnix::gui {

QString ToQ(std::wstring_view text);
std::wstring FromQ(const QString& text);

// The engine's "&" mnemonics are Qt's too; "\t" followed by a shortcut text
// in a menu item's caption is shown by Qt as the shortcut column.
inline QString ToQ(const wchar_t* text) { return ToQ(std::wstring_view(text ? text : L"")); }

// A menu caption in which '#' (or, when it has none, '*') stands for
// `name`, shown as written: an "&" of the name is doubled so that it is not
// taken as the item's mnemonic ("operator&&" stays "operator&&"), and a
// mark inside the name stays as it is.
QString CaptionWith(const QString& caption, const QString& name);

}  // namespace tarnix::gui
