#include "shell/app_locale.h"

#include <QLocale>
#include <clocale>

namespace rivulon::ui {

void pinNumericLocale() {
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

}  // namespace rivulon::ui
