<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel</source>
        <translation>Vistrel</translation>
    </message>
    <message id="status.running">
        <source>Running</source>
        <translation>実行中</translation>
    </message>
    <message id="status.stopped">
        <source>Stopped</source>
        <translation>停止</translation>
    </message>
    <message id="status.checking">
        <source>Checking...</source>
        <translation>確認中...</translation>
    </message>
    <message id="status.starting">
        <source>Starting...</source>
        <translation>開始中...</translation>
    </message>
    <message id="status.stopping">
        <source>Stopping...</source>
        <translation>停止中...</translation>
    </message>
    <message id="status.error">
        <source>Error</source>
        <translation>エラー</translation>
    </message>
    <message id="status.permissionsNeeded">
        <source>Permissions Required</source>
        <translation>権限が必要</translation>
    </message>
    <message id="status.runningOnPort">
        <source>Running on port %d</source>
        <translation>ポート %d で実行中</translation>
    </message>
    <message id="action.start">
        <source>Start Vistrel</source>
        <translation>Vistrel を開始</translation>
    </message>
    <message id="action.stop">
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message id="action.restart">
        <source>Restart</source>
        <translation>再起動</translation>
    </message>
    <message id="action.open">
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message id="action.retry">
        <source>Retry</source>
        <translation>再試行</translation>
    </message>
    <message id="action.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Vistrel をアンインストール</translation>
    </message>
    <message id="permissions.title">
        <source>Permissions Required</source>
        <translation>権限が必要</translation>
    </message>
    <message id="permissions.description">
        <source>Vistrel needs camera and microphone permissions to function properly.</source>
        <translation>Vistrel が正常に機能するには、カメラとマイクの権限が必要です。</translation>
    </message>
    <message id="permissions.camera">
        <source>Camera Access</source>
        <translation>カメラアクセス</translation>
    </message>
    <message id="permissions.microphone">
        <source>Microphone Access</source>
        <translation>マイクアクセス</translation>
    </message>
    <message id="permissions.granted">
        <source>Granted</source>
        <translation>許可済み</translation>
    </message>
    <message id="permissions.denied">
        <source>Denied</source>
        <translation>拒否</translation>
    </message>
    <message id="permissions.restricted">
        <source>Restricted</source>
        <translation>制限中</translation>
    </message>
    <message id="permissions.notSet">
        <source>Not Set</source>
        <translation>未設定</translation>
    </message>
    <message id="permissions.grantButton">
        <source>Grant Permissions</source>
        <translation>権限を許可</translation>
    </message>
    <message id="permissions.requesting">
        <source>Requesting Permissions...</source>
        <translation>権限を要求中...</translation>
    </message>
    <message id="permissions.continueButton">
        <source>Continue to Service</source>
        <translation>サービスに続行</translation>
    </message>
    <message id="service.starting">
        <source>Starting Vistrel...</source>
        <translation>Vistrel を開始中...</translation>
    </message>
    <message id="service.stopping">
        <source>Stopping Vistrel...</source>
        <translation>Vistrel を停止中...</translation>
    </message>
    <message id="service.pleaseWait">
        <source>Please wait...</source>
        <translation>お待ちください...</translation>
    </message>
    <message id="service.error">
        <source>Service Error</source>
        <translation>サービスエラー</translation>
    </message>
    <message id="service.liveMonitoring">
        <source>Live monitoring active</source>
        <translation>ライブ監視アクティブ</translation>
    </message>
    <message id="service.lastCheck">
        <source>Last check: %@</source>
        <translation>最終確認: %@</translation>
    </message>
    <message id="uninstall.title">
        <source>Uninstall Vistrel</source>
        <translation>Vistrel をアンインストール</translation>
    </message>
    <message id="uninstall.subtitle">
        <source>Remove all Vistrel components from your system</source>
        <translation>システムからすべての Vistrel コンポーネントを削除</translation>
    </message>
    <message id="uninstall.confirmation.title">
        <source>Are you sure you want to uninstall Vistrel?</source>
        <translation>Vistrel をアンインストールしてもよろしいですか？</translation>
    </message>
    <message id="uninstall.confirmation.description">
        <source>This will permanently remove all Vistrel components from your system, including:</source>
        <translation>これにより、以下を含むすべての Vistrel コンポーネントがシステムから完全に削除されます：</translation>
    </message>
    <message id="uninstall.confirmation.warning">
        <source>This action cannot be undone. You will need to reinstall Vistrel if you want to use it again.</source>
        <translation>この操作は元に戻すことができません。再度使用する場合は Vistrel を再インストールする必要があります。</translation>
    </message>
    <message id="uninstall.confirmation.cancel">
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message id="uninstall.confirmation.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Vistrel をアンインストール</translation>
    </message>
    <message id="uninstall.step.stopService.title">
        <source>Stopping Service</source>
        <translation>サービス停止中</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.title">
        <source>Removing Launch Agent</source>
        <translation>起動エージェント削除中</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.title">
        <source>Removing Application Files</source>
        <translation>アプリケーションファイル削除中</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.title">
        <source>Removing Launcher App</source>
        <translation>ランチャーアプリ削除中</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.title">
        <source>Cleaning Up Logs</source>
        <translation>ログクリーンアップ中</translation>
    </message>
    <message id="uninstall.step.complete.title">
        <source>Uninstall Complete</source>
        <translation>アンインストール完了</translation>
    </message>
    <message id="uninstall.step.stopService.description">
        <source>Stopping the Vistrel service...</source>
        <translation>Vistrel サービスを停止中...</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.description">
        <source>Removing the launch agent configuration...</source>
        <translation>起動エージェント設定を削除中...</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.description">
        <source>Removing Vistrel files from Application Support...</source>
        <translation>Application Support から Vistrel ファイルを削除中...</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.description">
        <source>Removing the launcher app...</source>
        <translation>ランチャーアプリケーションを削除中...</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.description">
        <source>Cleaning up log files...</source>
        <translation>ログファイルをクリーンアップ中...</translation>
    </message>
    <message id="uninstall.step.complete.description">
        <source>Vistrel has been completely removed from your system.</source>
        <translation>Vistrel がシステムから完全に削除されました。</translation>
    </message>
    <message id="uninstall.item.stopService">
        <source>Stop the running service</source>
        <translation>実行中のサービスを停止</translation>
    </message>
    <message id="uninstall.item.removeLaunchAgent">
        <source>Remove launch agent configuration</source>
        <translation>起動エージェント設定を削除</translation>
    </message>
    <message id="uninstall.item.removeFiles">
        <source>Delete application files</source>
        <translation>アプリケーションファイルを削除</translation>
    </message>
    <message id="uninstall.item.removeLauncher">
        <source>Remove launcher app</source>
        <translation>ランチャーアプリを削除</translation>
    </message>
    <message id="uninstall.item.cleanupLogs">
        <source>Clean up log files</source>
        <translation>ログファイルをクリーンアップ</translation>
    </message>
    <message id="uninstall.log.title">
        <source>Uninstall Log</source>
        <translation>アンインストールログ</translation>
    </message>
    <message id="uninstall.success">
        <source>✅ Vistrel has been successfully uninstalled</source>
        <translation>✅ Vistrel が正常にアンインストールされました</translation>
    </message>
    <message id="uninstall.successDescription">
        <source>All components have been removed from your system.</source>
        <translation>すべてのコンポーネントがシステムから削除されました。</translation>
    </message>
    <message id="uninstall.error">
        <source>Uninstall Error</source>
        <translation>アンインストールエラー</translation>
    </message>
    <message id="uninstall.close">
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message id="general.copy">
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
    <message id="general.close">
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message id="general.timeAgo.seconds">
        <source>%ds ago</source>
        <translation>%d秒前</translation>
    </message>
    <message id="general.timeAgo.minutes">
        <source>%dm ago</source>
        <translation>%d分前</translation>
    </message>
    <message id="service.exitReason.code">
        <source>The server stopped with exit code %d</source>
        <translation>サーバーは終了コード %d で停止しました</translation>
    </message>
    <message id="service.exitReason.signal">
        <source>The server was stopped by signal %@</source>
        <translation>サーバーはシグナル %@ で停止しました</translation>
    </message>
    <message id="service.exitReason.restarting">
        <source>The server keeps restarting</source>
        <translation>サーバーが再起動を繰り返しています</translation>
    </message>
    <message id="service.exitReason.restartedOnce">
        <source>(restarted once)</source>
        <translation>（1 回再起動）</translation>
    </message>
    <message id="service.exitReason.restarted">
        <source>(restarted %d times)</source>
        <translation>（%d 回再起動）</translation>
    </message>
    <message id="action.showLogs">
        <source>Show Logs</source>
        <translation>ログを表示</translation>
    </message>
</context>
</TS>
