#pragma once
// Opening the user's browser on an online search for a text, with the
// "OnlineSearchURL" template of the settings snapshot.
#include <QUrl>
#include <string>

namespace tarnix::gui {

// The address of the online search for `text`.
QUrl OnlineSearchQueryUrl(const std::wstring& text);

// Hands the search to the browser; false with the platform error in `error`.
bool OpenOnlineSearch(const std::wstring& text, uint32_t& error);

}  // namespace tarnix::gui
