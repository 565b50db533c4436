import QtQuick
import QtQuick.Controls.Basic
import Vistrel.UiKit

// Text in the window's font; screen readers read what it shows.
Label {
    color: Theme.label
    font.pixelSize: Theme.body
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
