pragma Singleton
import QtQuick

// The installer's look: light system colours, font roles in fixed pixel sizes (the window keeps
// its layout whatever text size the desktop asks for), and the fonts that carry every language.
QtObject {
    readonly property color windowBackground: "#ececec"
    readonly property color controlBackground: "#ffffff"
    readonly property color textBackground: "#ffffff"
    readonly property color label: Qt.rgba(0, 0, 0, 0.85)
    readonly property color secondaryLabel: Qt.rgba(0, 0, 0, 0.55)
    readonly property color separator: Qt.rgba(0, 0, 0, 0.1)
    readonly property color blue: "#007aff"
    readonly property color blueHover: "#1a88ff"
    readonly property color bluePressed: "#0062cc"
    readonly property color green: "#28cd41"
    readonly property color red: "#ff3b30"
    readonly property color gray: "#8e8e93"

    // Font roles, in pixels.
    readonly property int title2: 20
    readonly property int title3: 17
    readonly property int headline: 14
    readonly property int body: 13
    readonly property int subheadline: 12
    readonly property int caption: 11
    readonly property int caption2: 10

    readonly property int semibold: Font.DemiBold
    readonly property int medium: Font.Medium

    function withAlpha(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, alpha)
    }

    // Han characters look right only in the face made for the language.
    function fontFamily(language) {
        if (language === "ja")
            return "Noto Sans CJK JP"
        if (language === "zh-Hans")
            return "Noto Sans CJK SC"
        return "Noto Sans"
    }
    function monoFontFamily(language) {
        if (language === "ja")
            return "Noto Sans Mono CJK JP"
        if (language === "zh-Hans")
            return "Noto Sans Mono CJK SC"
        return "DejaVu Sans Mono"
    }
}
