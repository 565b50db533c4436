#include "installerstringdata.h"

namespace vistrel::installerstrings {

// Japanese (ja). Same keys in the same order as every other table.
extern const std::array<StringEntry, keyCount> ja = {{
    {u"app.title", u"Vistrel インストーラー"},
    {u"app.subtitle", u"最新バージョンをダウンロードしてインストールします"},
    {u"step.stopServices.title", u"サービスクリーンアップの準備"},
    {u"step.downloadTarvik.title", u"Vistrel をダウンロード中"},
    {u"step.installTarvik.title", u"Vistrel をインストール中"},
    {u"step.installLauncher.title", u"ランチャーアプリをインストール中"},
    {u"step.setupService.title", u"サービスを設定中"},
    {u"step.verifyService.title", u"サービスを確認中"},
    {u"step.complete.title", u"起動準備完了"},
    {u"step.stopServices.description", u"既存のサービスをクリーンアップ中..."},
    {u"step.downloadTarvik.description", u"サーバーから最新バージョンをダウンロード中..."},
    {u"step.installTarvik.description", u"Vistrel ファイルを Application Support にコピー中..."},
    {u"step.installLauncher.description", u"ランチャーアプリを Applications フォルダにインストール中..."},
    {u"step.setupService.description", u"ユーザーログイン時に実行するようサービスを設定中..."},
    {u"step.verifyService.description", u"Vistrel サービスの開始を待機中..."},
    {u"step.complete.description", u"Vistrel が実行され、設定の準備ができました。"},
    {u"feature.service.title", u"サービスインストール"},
    {u"feature.service.description", u"Vistrel サービスファイルをダウンロードしてインストールします。"},
    {u"feature.launcher.title", u"ランチャーアプリ"},
    {u"feature.launcher.description", u"サービス管理用のランチャーアプリをインストールします。"},
    {u"feature.agent.title", u"起動エージェント"},
    {u"feature.agent.description", u"ログイン時に自動実行されるようサービスを設定します。"},
    {u"ui.betaVersion", u"ベータバージョンをインストール"},
    {u"ui.installDescription",
     u"Vistrel を Library/Application Support フォルダにインストールし、自動起動するよう設定します。"},
    {u"ui.installButton", u"Vistrel をインストール"},
    {u"ui.openButton", u"Vistrel を開く"},
    {u"ui.copyButton", u"コピー"},
    {u"ui.installationLog", u"インストールログ"},
    {u"ui.installationError", u"インストールエラー"},
    {u"ui.portLabel", u"サーバーポート"},
    {u"ui.portInUse", u"ポート %@ は既に別のアプリケーションで使用されています。別のポートを選択してください。"},
    {u"progress.download", u"%.1f MB / %.1f MB をダウンロード済み (%d%%)"},
    {u"progress.verify", u"サービスを確認中... (試行 %d/%d)"},
    {u"log.success", u"✅ %@ 完了"},
    {u"log.error", u"❌ %@ 失敗: %@"},
}};

} // namespace vistrel::installerstrings
