"""What a person reads in the two windows, in the languages the roads choose."""

INSTALLER = {
    "en": {
        "menu": "🇺🇸 English",
        "install": "Install Vistrel",
        "open": "Open Vistrel",
        "error": "Installation Error",
    },
    "de": {
        "menu": "🇩🇪 Deutsch",
        "install": "Vistrel installieren",
        "open": "Vistrel öffnen",
        "error": "Installationsfehler",
        "steps": [
            "Vorbereitung der Dienst-Bereinigung",
            "Vistrel wird heruntergeladen",
            "Vistrel wird installiert",
            "Launcher-App wird installiert",
            "Dienst wird konfiguriert",
            "Dienst wird überprüft",
            "Bereit zum Starten",
        ],
    },
    "fr": {
        "menu": "🇫🇷 Français",
        "install": "Installer Vistrel",
        "open": "Ouvrir Vistrel",
        "error": "Erreur d'installation",
    },
    "zh-Hans": {
        "menu": "🇨🇳 中文简体",
        "install": "安装 Vistrel",
        "open": "打开 Vistrel",
        "error": "安装错误",
        "steps": [
            "准备服务清理",
            "正在下载 Vistrel",
            "正在安装 Vistrel",
            "正在安装启动器应用",
            "正在配置服务",
            "正在验证服务",
            "准备启动",
        ],
    },
}

# The language file carries the server's codes.
SERVER_CODE = {"en": "en", "de": "de", "fr": "fr", "zh-Hans": "zh-cn"}

LAUNCHER = {
    "de": {
        "running": "Läuft",
        "running_on": "Läuft auf Port {port}",
        "stopped": "Gestoppt",
        "stop": "Stoppen",
        "start": "Vistrel Starten",
        "restart": "Neustarten",
        "open": "Öffnen",
        "uninstall": "Vistrel Deinstallieren",
        "confirm_title": "Sind Sie sicher, dass Sie Vistrel deinstallieren möchten?",
        "success": "✅ Vistrel wurde erfolgreich deinstalliert",
        "close": "Schließen",
        "log": "Deinstallations-Log",
    },
    "zh-Hans": {
        "running": "运行中",
        "running_on": "在端口 {port} 上运行",
        "stopped": "已停止",
        "stop": "停止",
        "start": "启动 Vistrel",
        "restart": "重启",
        "open": "打开",
        "uninstall": "卸载 Vistrel",
    },
}
