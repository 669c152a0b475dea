#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "shell/window_kind.h"

namespace rivulon::ui {

// The nutrient editor as other windows use it: a new file for a new
// transport file, and the septic-only mode of the septic window.
class NutrientEditorService {
  public:
    static constexpr WindowKind kProvider{"FrmN"};
    virtual ~NutrientEditorService() = default;
    // Create mode with the land-use counts and names of a new transport file.
    virtual void createNew(int ruralCount, int urbanCount, const QStringList& landUseNames) = 0;
    // Opens the current transport and nutrient files limited to the septic
    // page ("Other Parameters"); false (with a message) when they cannot be read.
    virtual bool openSepticOnly() = 0;
    // Row 1 normal and row 2 ponded systems, months 1..12, of the septic page.
    virtual void setSepticPopulation(int row, int month, int value) = 0;
    // Called once when the editor closes: whether it saved the nutrient file,
    // and the name it saved under.
    virtual void whenClosed(std::function<void(bool fileSaved, const QString& savedName)> done) = 0;
};

}  // namespace rivulon::ui
