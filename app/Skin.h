#pragma once
// The window's skin: one Qt style sheet carried inside the program, stored
// zlib-compressed in the Qt resources under the name "skin.ini", plus the few
// colours that code draws with itself.

#include <QColor>
#include <QString>

namespace skin {

// Text colour of the inactive result tabs; also every unselected row of the
// category tree and of the seller list.
QColor InactiveTabText();
// Selected row of the category tree: red text on a light cyan background.
QColor SelectedNodeText();
QColor SelectedNodeBack();

// The style sheet, with its colour placeholders filled in. Empty when the
// resource is missing.
QString StyleSheet();

} // namespace skin
