#include "gui/app/resources.h"

#include <QtGlobal>

// Outside any namespace, as Qt's resource initialiser requires.
static void InitTarnixQrc() { Q_INIT_RESOURCE(tarnix); }

namespace tarnix::gui {
void InitResources() { InitTarnixQrc(); }
}  // namespace tarnix::gui
