#include "project/ui/frmSimInfo.h"

#include <QFontDatabase>

frmSimInfo::frmSimInfo(rivulon::ui::WindowHost& /*host*/) {
    setObjectName("frmSimInfo");
    setReadOnly(true);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    resize(760, 460);
}
