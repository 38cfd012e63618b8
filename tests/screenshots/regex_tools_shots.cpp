// The regex composer with an expression read back into its rows, and the
// regex tester with results, an undecided line and a compile error; each
// also squeezed into an 800x600 screen.
#include <QComboBox>
#include <QPlainTextEdit>

#include "gui/tools/regex_composer_dlg.h"
#include "gui/tools/try_regex_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "shots.h"

namespace tarnix::gui::shots {

TARNIX_SCREENSHOTS(RegexTools) {
  {
    CRegexComposerDlg w(nullptr, L"(^\\bCreate\\w+)|(File\\d*$)|(\\s+Ex\\b)", false);
    Shoot(w, QStringLiteral("regex-composer") + ctx.suffix);
    w.modeBox()->setCurrentIndex(w.modeBox()->findData(3));
    Shoot(w, QStringLiteral("regex-composer-small") + ctx.suffix, QSize(780, 560));
  }
  {
    CTryRegexDlg w;
    w.textBox()->setPlainText(QStringLiteral(
        "CreateFileW\nCreateFileA\ncreatefilew\nReadFile\nCreateProcessAsUserW\n\nNtCreateFile\n"
        "RegCreateKeyExW\nCreateFile2\nGetFileAttributesW"));
    w.SetInput(L"^Create\\w*File || Nt\\w+", true, 1);
    WaitFor([&] { return w.shown() > 0 && w.resultsBox()->blockCount() > 1; });
    Shoot(w, QStringLiteral("try-regex") + ctx.suffix);
    w.SetInput(L"File || [A-", true, 1);
    WaitFor([&] { return w.statusIsError(); });
    Shoot(w, QStringLiteral("try-regex-error-small") + ctx.suffix, QSize(780, 560));
  }
}

}  // namespace tarnix::gui::shots
