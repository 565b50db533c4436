pragma Singleton
import QtQuick

// Both programs' look: light system colours by role, font roles in fixed pixel sizes (the fixed
// windows keep their layout whatever text size the desktop asks for), and the fonts that carry
// every language.
QtObject {
    readonly property color windowBackground: "#ececec"
    readonly property color controlBackground: "#ffffff"
    readonly property color textBackground: "#ffffff"
    readonly property color label: Qt.rgba(0, 0, 0, 0.85)
    readonly property color secondaryLabel: Qt.rgba(0, 0, 0, 0.55)
    readonly property color separator: Qt.rgba(0, 0, 0, 0.1)
    readonly property color cardOutline: Qt.rgba(0, 0, 0, 0.08)
    readonly property color green: "#34c759"
    readonly property color brightGreen: "#28cd41"
    readonly property color red: "#ff3b30"
    readonly property color orange: "#ff9500"
    readonly property color blue: "#007aff"
    readonly property color blueHover: "#1a88ff"
    readonly property color bluePressed: "#0062cc"
    readonly property color gray: "#8e8e93"
    readonly property color white: "#ffffff"

    // Font roles, in pixels.
    readonly property int title: 22
    readonly property int headerTitle: 20
    readonly property int title2: 18
    readonly property int title3: 15
    readonly property int headline: 14
    readonly property int body: 13
    readonly property int subheadline: 12
    readonly property int caption: 11
    readonly property int caption2: 10

    readonly property int medium: Font.Medium
    readonly property int semibold: Font.DemiBold
    readonly property int bold: Font.Bold

    // The platform's standard inner margin.
    readonly property int standardPadding: 12

    function withAlpha(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, alpha)
    }

    // The status dot's colour by the role the model names.
    function roleColor(role) {
        if (role === "green")
            return green
        if (role === "red")
            return red
        return orange
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
