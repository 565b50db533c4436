import QtQuick
import Vistrel.UiKit

Rectangle {
    implicitHeight: 1
    color: Theme.separator
}
