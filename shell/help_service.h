#pragma once

#include <QString>

namespace rivulon::ui {

// What the help viewer is asked to show; the numbers are those the windows
// pass to HelpCmd.
enum class HelpCommand { Context = 1, Quit = 2, Contents = 15, Index = 257 };

// Shows the user guide: a topic by context number, the contents or the index;
// Quit closes the viewer. Unknown commands are ignored.
void showHelp(HelpCommand command, int context = 0);

// The folder of the HTML user guide, empty when none is found.
QString helpFolder();

// The topic file for a context number, empty when the guide has none.
QString helpTopicFile(int context);

}  // namespace rivulon::ui
