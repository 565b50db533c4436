import QtQuick
import QtQuick.Controls.Basic
import Vistrel.UiKit
import Vistrel.Installer

// The language pop-up: each language's flag and its own name, the same in every language.
ComboBox {
    id: menu

    required property LocalizationManager localization

    function entryText(code) {
        const info = localization.languageDisplayInfo(code)
        return info.flag + " " + info.nativeName
    }

    objectName: "languageMenu"
    Accessible.name: "Language"
    Accessible.description: displayText
    implicitWidth: 150
    implicitHeight: 26
    leftPadding: 10
    rightPadding: 26
    hoverEnabled: true
    opacity: enabled ? 1 : 0.5
    font.pixelSize: Theme.body

    model: localization.supportedLanguages
    // A stored code outside the menu selects nothing.
    currentIndex: localization.supportedLanguages.indexOf(localization.currentLanguage)
    displayText: currentIndex >= 0 ? entryText(localization.supportedLanguages[currentIndex]) : ""

    onActivated: (index) => {
        const code = localization.supportedLanguages[index]
        const changed = code !== localization.currentLanguage
        localization.currentLanguage = code
        if (changed)
            Diagnostics.printLine("Language changed to: " + code)
    }

    delegate: ItemDelegate {
        id: entry

        required property int index
        required property string modelData

        objectName: "languageOption_" + modelData
        width: menu.popup.availableWidth
        implicitHeight: 26
        leftPadding: 10
        text: menu.entryText(modelData)
        font: menu.font
        highlighted: menu.highlightedIndex === index
        hoverEnabled: true
        Accessible.name: text

        contentItem: Label {
            text: entry.text
            font: entry.font
            color: entry.highlighted ? "#ffffff" : Theme.label
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
        background: Rectangle {
            radius: 4
            color: entry.highlighted ? Theme.blue : "transparent"
        }
    }

    contentItem: Label {
        text: menu.displayText
        font: menu.font
        color: Theme.label
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    // Up and down chevrons, as on a system pop-up button.
    indicator: Canvas {
        x: menu.width - width - 8
        y: (menu.height - height) / 2
        width: 8
        height: 12
        onPaint: {
            const ctx = getContext("2d")
            ctx.clearRect(0, 0, width, height)
            ctx.strokeStyle = Theme.secondaryLabel
            ctx.lineWidth = 1.4
            ctx.lineCap = "round"
            ctx.lineJoin = "round"
            ctx.beginPath()
            ctx.moveTo(1, 4.5); ctx.lineTo(4, 1.5); ctx.lineTo(7, 4.5)
            ctx.moveTo(1, 7.5); ctx.lineTo(4, 10.5); ctx.lineTo(7, 7.5)
            ctx.stroke()
        }
    }

    background: Rectangle {
        radius: 6
        color: menu.pressed ? "#ececee" : menu.hovered ? "#fafafa" : Theme.controlBackground
        border.width: 1
        border.color: menu.visualFocus ? Theme.blue : Qt.rgba(0, 0, 0, 0.16)
    }

    popup: Popup {
        y: menu.height + 4
        width: Math.max(menu.width, 170)
        x: menu.width - width
        implicitHeight: contentItem.implicitHeight + topPadding + bottomPadding
        padding: 4

        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            model: menu.popup.visible ? menu.delegateModel : null
            currentIndex: menu.highlightedIndex
            boundsBehavior: Flickable.StopAtBounds
        }

        background: Rectangle {
            radius: 8
            color: Theme.controlBackground
            border.width: 1
            border.color: Qt.rgba(0, 0, 0, 0.14)
        }
    }
}
