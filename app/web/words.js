// The page's own texts, beside those its windows share with the desktop's: each a call that
// words it in the language the page speaks now. lupdate reads this file and the windows' scripts
// (whose JavaScript it can parse: no async functions, no object spread), so their texts join the
// desktop's in translations/pelaryn_en.ts.
"use strict";

const pageWords = {
  title: () => qsTranslate("pelaryn::MainWindow", "ヴェルガード"),
  fullScreen: () => qsTranslate("Page", "全画面"),
  ended: () => qsTranslate("Page", "終了しました。もう一度遊ぶには、ページを読み込み直してください。"),
  manual: () => qsTranslate("DesktopDialogs", "pelaryn.html"),
  replays: () => qsTranslate("pelaryn::MainWindow", "リプレイ…"),
  controls: () => qsTranslate("pelaryn::MainWindow", "操作とサウンド…"),
  mute: () => qsTranslate("pelaryn::MainWindow", "ミュート"),
  files: () => qsTranslate("Page", "ファイルの書き出し／読み込み…"),
  noFileChosen: () => qsTranslate("Page", "ファイルが選ばれていません"),
  notGameFile: (name) => withArgs(qsTranslate("Page", "%1 は pelaryn.cfg でも pelaryn.sco でもありません"), name),
  tooLarge: (name) => withArgs(qsTranslate("Page", "%1 は大きすぎます"), name),
  notStored: () => qsTranslate("Page", "ブラウザーに保存できませんでした"),
  // The page's title, as the desktop's window title: a replay that plays, and a pause.
  replayTitle: () => qsTranslate("MainWindow", "ヴェルガード — リプレイ "),
  fast: () => qsTranslate("MainWindow", "（早送り）"),
  black: () => qsTranslate("MainWindow", "（背景の画像がないため黒で再生）"),
  paused: () => qsTranslate("pelaryn::MainWindow", " — 一時停止中"),
  // The score board: what the title says after a game over was sent, and why one was not.
  boardRank: (rank, board) => withArgs(qsTranslate("Page", "オンライン %1位 (%2)"), rank, board),
  boardRefused: (why) => withArgs(qsTranslate("Page", "オンライン: 送信したゲームは受け付けられませんでした: %1"), why),
  boardAway: (why) => withArgs(qsTranslate("Page", "オンライン: 送信できませんでした (%1)。あとで送ります"), why),
  boardUnreachable: () => qsTranslate("Page", "スコアボードに接続できません"),
  boardNoAddress: () => qsTranslate("Page", "スコアボードのアドレスが設定されていません (操作とサウンド…)"),
  boardNotKept: () => qsTranslate("Page", "オンライン: 送信するリプレイをブラウザーに保存できませんでした"),
  onlineReplay: (rank, board, name) => withArgs(qsTranslate("Page", "オンライン %1位 (%2) %3 "), rank, board, name),
  // The desktop's words in its key names (before a keypad key's digit; the space bar).
  keypad: () => qsTranslate("KeyBindings", "テンキー "),
  space: () => qsTranslate("KeyBindings", "スペース"),
  // The touch buttons: the menu's own words where it has them, and the one button the menu bar
  // folds into on a small screen.
  touchStart: () => qsTranslate("Menu", "スタート"),
  touchPause: () => qsTranslate("Menu", "ポーズ"),
  touchSpread: () => qsTranslate("pelaryn::FrmControls", "拡散ショット"),
  menuButton: () => qsTranslate("Page", "メニュー"),
};
