#pragma once

namespace rivulon::ui {

// Numbers are read and shown the same under any user locale: the C
// library's numeric locale and Qt's default locale are both "C". Call after
// the application object exists (it takes the user's locale for everything).
void pinNumericLocale();

}  // namespace rivulon::ui
