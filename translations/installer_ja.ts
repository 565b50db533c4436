<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel Installer</source>
        <translation>Vistrel インストーラー</translation>
    </message>
    <message id="app.subtitle">
        <source>Downloads and installs the latest version</source>
        <translation>最新バージョンをダウンロードしてインストールします</translation>
    </message>
    <message id="step.stopServices.title">
        <source>Preparing Service Cleanup</source>
        <translation>サービスクリーンアップの準備</translation>
    </message>
    <message id="step.downloadTarvik.title">
        <source>Downloading Vistrel</source>
        <translation>Vistrel をダウンロード中</translation>
    </message>
    <message id="step.installTarvik.title">
        <source>Installing Vistrel</source>
        <translation>Vistrel をインストール中</translation>
    </message>
    <message id="step.installLauncher.title">
        <source>Installing Launcher App</source>
        <translation>ランチャーアプリをインストール中</translation>
    </message>
    <message id="step.setupService.title">
        <source>Configuring Service</source>
        <translation>サービスを設定中</translation>
    </message>
    <message id="step.verifyService.title">
        <source>Verifying Service</source>
        <translation>サービスを確認中</translation>
    </message>
    <message id="step.complete.title">
        <source>Ready to Launch</source>
        <translation>起動準備完了</translation>
    </message>
    <message id="step.stopServices.description">
        <source>Cleaning up old services...</source>
        <translation>既存のサービスをクリーンアップ中...</translation>
    </message>
    <message id="step.downloadTarvik.description">
        <source>Downloading the latest version from the server...</source>
        <translation>サーバーから最新バージョンをダウンロード中...</translation>
    </message>
    <message id="step.installTarvik.description">
        <source>Copying Vistrel files to Application Support...</source>
        <translation>Vistrel ファイルを Application Support にコピー中...</translation>
    </message>
    <message id="step.installLauncher.description">
        <source>Installing launcher app to Applications folder...</source>
        <translation>ランチャーアプリを Applications フォルダにインストール中...</translation>
    </message>
    <message id="step.setupService.description">
        <source>Configuring the service to run on user login...</source>
        <translation>ユーザーログイン時に実行するようサービスを設定中...</translation>
    </message>
    <message id="step.verifyService.description">
        <source>Waiting for the Vistrel service to start...</source>
        <translation>Vistrel サービスの開始を待機中...</translation>
    </message>
    <message id="step.complete.description">
        <source>Vistrel is running and ready to be configured.</source>
        <translation>Vistrel が実行され、設定の準備ができました。</translation>
    </message>
    <message id="feature.service.title">
        <source>Service Install</source>
        <translation>サービスインストール</translation>
    </message>
    <message id="feature.service.description">
        <source>Downloads and installs Vistrel service files.</source>
        <translation>Vistrel サービスファイルをダウンロードしてインストールします。</translation>
    </message>
    <message id="feature.launcher.title">
        <source>Launcher App</source>
        <translation>ランチャーアプリ</translation>
    </message>
    <message id="feature.launcher.description">
        <source>Installs a launcher app to manage the service.</source>
        <translation>サービス管理用のランチャーアプリをインストールします。</translation>
    </message>
    <message id="feature.agent.title">
        <source>Launch Agent</source>
        <translation>起動エージェント</translation>
    </message>
    <message id="feature.agent.description">
        <source>Configures service to run automatically on login.</source>
        <translation>ログイン時に自動実行されるようサービスを設定します。</translation>
    </message>
    <message id="ui.betaVersion">
        <source>Install Beta Version</source>
        <translation>ベータバージョンをインストール</translation>
    </message>
    <message id="ui.installDescription">
        <source>This will install Vistrel to your Library/Application Support folder and configure it to start automatically.</source>
        <translation>Vistrel を Library/Application Support フォルダにインストールし、自動起動するよう設定します。</translation>
    </message>
    <message id="ui.installButton">
        <source>Install Vistrel</source>
        <translation>Vistrel をインストール</translation>
    </message>
    <message id="ui.openButton">
        <source>Open Vistrel</source>
        <translation>Vistrel を開く</translation>
    </message>
    <message id="ui.copyButton">
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
    <message id="ui.installationLog">
        <source>Installation Log</source>
        <translation>インストールログ</translation>
    </message>
    <message id="ui.installationError">
        <source>Installation Error</source>
        <translation>インストールエラー</translation>
    </message>
    <message id="ui.portLabel">
        <source>Server Port</source>
        <translation>サーバーポート</translation>
    </message>
    <message id="ui.portInUse">
        <source>Port %@ is already in use by another application. Please choose a different port.</source>
        <translation>ポート %@ は既に別のアプリケーションで使用されています。別のポートを選択してください。</translation>
    </message>
    <message id="ui.restoredRunning">
        <source>The previous installation was put back and runs again.</source>
        <translation>以前のインストールを復元し、再び動作しています。</translation>
    </message>
    <message id="ui.restoredNotAnswering">
        <source>The previous installation was put back and started again, but its service does not answer yet.</source>
        <translation>以前のインストールを復元して再起動しましたが、サービスがまだ応答しません。</translation>
    </message>
    <message id="ui.restoredStopped">
        <source>The previous installation was put back. Its service was not running before and stays stopped.</source>
        <translation>以前のインストールを復元しました。そのサービスは以前も実行されていなかったため、停止したままです。</translation>
    </message>
    <message id="ui.installationRemoved">
        <source>Everything this installation had added was removed again.</source>
        <translation>このインストールで追加されたものはすべて削除されました。</translation>
    </message>
    <message id="ui.restoreIncomplete">
        <source>Not everything could be put back. The installer tries again the next time it starts; the log shows what is missing.</source>
        <translation>すべてを復元できませんでした。インストーラーは次回の起動時に再試行します。不足している内容はログで確認できます。</translation>
    </message>
    <message id="progress.download">
        <source>Downloaded %.1f MB of %.1f MB (%d%%)</source>
        <translation>%.1f MB / %.1f MB をダウンロード済み (%d%%)</translation>
    </message>
    <message id="progress.verify">
        <source>Pinging service... (Attempt %d/%d)</source>
        <translation>サービスを確認中... (試行 %d/%d)</translation>
    </message>
    <message id="log.success">
        <source>✅ %@ complete</source>
        <translation>✅ %@ 完了</translation>
    </message>
    <message id="log.error">
        <source>❌ %@ failed: %@</source>
        <translation>❌ %@ 失敗: %@</translation>
    </message>
</context>
</TS>
