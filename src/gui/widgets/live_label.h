#pragma once
// A label whose text changes as the window works (a count, the path being
// read). Assistive technology reads the text itself: its accessible name
// follows the text, and what the label is ("Results Count") is its
// description and its object name. An empty label is named by that role.
//
//   count_ = LiveLabel(this, QStringLiteral("Results Count"));
//   SetLiveText(count_, QStringLiteral("9 result(s)"));
#include <QLabel>
#include <QString>

namespace tarnix::gui {

QLabel* LiveLabel(QWidget* parent, const QString& role);

// Shows `text`; `spoken` is what a screen reader reads when the label shows
// a shortened text (an elided path), else the text itself.
void SetLiveText(QLabel* label, const QString& text, const QString& spoken = QString());

}  // namespace tarnix::gui
