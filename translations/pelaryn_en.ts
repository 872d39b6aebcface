<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>DesktopDialogs</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>pelaryn.html</source>
        <translation>pelaryn.en.html</translation>
    </message>
</context>
<context>
    <name>DesktopMain</name>
    <message>
        <source>リプレイを保存できませんでした: %1</source>
        <translation>The replay could not be saved: %1</translation>
    </message>
    <message>
        <source>リプレイを開く</source>
        <translation>Open a replay</translation>
    </message>
    <message>
        <source>リプレイ (*.pelrpy)|*.pelrpy|すべてのファイル|*</source>
        <translation>Replays (*.pelrpy)|*.pelrpy|All files|*</translation>
    </message>
    <message>
        <source>リプレイ</source>
        <translation>Replays</translation>
    </message>
    <message>
        <source>ゲームを終了してリプレイを再生しますか？</source>
        <translation>End this game and play the replay?</translation>
    </message>
    <message>
        <source>%1 は再生できません。
%2</source>
        <translation>%1 cannot be played.
%2</translation>
    </message>
    <message>
        <source>サウンドフォント</source>
        <translation>Soundfont</translation>
    </message>
    <message>
        <source>サウンドフォント %1 を読み込めませんでした。標準のサウンドフォントで再生します。</source>
        <translation>The soundfont %1 could not be loaded. The music will use the default soundfont instead.</translation>
    </message>
    <message>
        <source>サウンドフォントを開く</source>
        <translation>Open a soundfont</translation>
    </message>
    <message>
        <source>サウンドフォント (*.sf2;*.sf3)|*.sf2;*.sf3|すべてのファイル|*</source>
        <translation>Soundfonts (*.sf2, *.sf3)|*.sf2;*.sf3|All files|*</translation>
    </message>
</context>
<context>
    <name>FrmConfig</name>
    <message>
        <source>MIDIファイル(*.mid)|*.mid</source>
        <translation>MIDI files (*.mid)|*.mid</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>取り消し</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>背景の設定</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>背景画像</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>慣性</source>
        <translation>Inertia</translation>
    </message>
    <message>
        <source>ぐりぐり</source>
        <translation>Wander</translation>
    </message>
    <message>
        <source>スクロール速度</source>
        <translation>Scroll speed</translation>
    </message>
    <message>
        <source>横</source>
        <translation>Horizontal</translation>
    </message>
    <message>
        <source>縦</source>
        <translation>Vertical</translation>
    </message>
    <message>
        <source>背景なし</source>
        <translation>No background</translation>
    </message>
    <message>
        <source>リセット</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>背景のオープン</source>
        <translation>Open a background picture</translation>
    </message>
    <message>
        <source>BGMの設定</source>
        <translation>Music</translation>
    </message>
    <message>
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>タイトルBGMのオープン</source>
        <translation>Open title music</translation>
    </message>
    <message>
        <source>BGMのオープン</source>
        <translation>Open music</translation>
    </message>
    <message>
        <source>ボス(太陽)</source>
        <translation>Boss (sun)</translation>
    </message>
    <message>
        <source>ボス戦BGMのオープン</source>
        <translation>Open boss music</translation>
    </message>
    <message>
        <source>ボス(月)</source>
        <translation>Boss (moon)</translation>
    </message>
    <message>
        <source>難易度設定</source>
        <translation>Difficulty</translation>
    </message>
    <message>
        <source>初期難易度</source>
        <translation>Starting difficulty</translation>
    </message>
    <message>
        <source>難易度スキップ</source>
        <translation>Difficulty skip</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>タイトルアニメ</source>
        <translation>Title animation</translation>
    </message>
    <message>
        <source>ジョイスティックを使う</source>
        <translation>Use a joystick</translation>
    </message>
    <message>
        <source>感度</source>
        <translation>Sensitivity</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>BGM1</source>
        <translation>Music 1</translation>
    </message>
    <message>
        <source>BGM2</source>
        <translation>Music 2</translation>
    </message>
    <message>
        <source>画像ファイル(*.bmp,*.jpg,*.gif)|*.bmp;*.jpg;*.gif;*.png</source>
        <translation>Pictures (*.bmp, *.jpg, *.gif, *.png)|*.bmp;*.jpg;*.gif;*.png</translation>
    </message>
</context>
<context>
    <name>KeyBindings</name>
    <message>
        <source>スペース</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>テンキー </source>
        <translation>Keypad </translation>
    </message>
    <message>
        <source>キー 0x%1</source>
        <translation>Key 0x%1</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>ヴェルガード — リプレイ </source>
        <translation>Velgard — Replay </translation>
    </message>
    <message>
        <source>（早送り）</source>
        <translation> (fast)</translation>
    </message>
    <message>
        <source>（背景の画像がないため黒で再生）</source>
        <translation> (on black: the background picture is missing)</translation>
    </message>
</context>
<context>
    <name>ManualViewer</name>
    <message>
        <source>ヴェルガード 説明書</source>
        <translation>Velgard manual</translation>
    </message>
    <message>
        <source>&lt;h3&gt;説明書が見つかりません&lt;/h3&gt;&lt;p&gt;%1&lt;/p&gt;&lt;p&gt;The manual was not found.&lt;/p&gt;</source>
        <translation>&lt;h3&gt;The manual was not found&lt;/h3&gt;&lt;p&gt;%1&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>ゲーム</source>
        <translation>Game</translation>
    </message>
    <message>
        <source>スタート</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>ポーズ</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>リセット</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>効果音</source>
        <translation>Sound effects</translation>
    </message>
    <message>
        <source>オートショット</source>
        <translation>Auto fire</translation>
    </message>
    <message>
        <source>スコアランキング</source>
        <translation>Ranking</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options…</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>説明書</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>NAME ENTRY</source>
        <translation>NAME ENTRY</translation>
    </message>
    <message>
        <source>ヴェルガード</source>
        <translation>Velgard</translation>
    </message>
    <message>
        <source>おしまい<byte value="xd"/>
撃墜率 : %1%</source>
        <translation>Game over — enemies destroyed: %1%</translation>
    </message>
    <message>
        <source>保存できませんでした: %1</source>
        <translation>Could not save: %1</translation>
    </message>
    <message>
        <source>%1位にランクインです！<byte value="xd"/>
名前を入力してください<byte value="xd"/>
（半角なら６文字程度、全角なら４文字以内にしてください）</source>
        <translation>You made No. %1 in the ranking!
Enter your name (about six letters)</translation>
    </message>
    <message>
        <source>このリプレイは %1 フレーム目で記録と食い違いました（記録したバージョン %2）</source>
        <translation>This replay diverged from the recorded game at frame %1 (recorded with version %2).</translation>
    </message>
    <message>
        <source>このリプレイは別のバージョン（%2）で記録されたため再生できません</source>
        <translation>This replay was recorded with version %2 of the game and cannot be played with this one.</translation>
    </message>
    <message>
        <source>このリプレイに記録された終わり方は、再生したゲームの終わり方と違います</source>
        <translation>This replay records a different ending from the one its game reached.</translation>
    </message>
    <message>
        <source>このリプレイはスコア %1 と記録していますが、再生したゲームのスコアは %2 でした</source>
        <translation>This replay records a score of %1, but its game scored %2.</translation>
    </message>
    <message>
        <source>このリプレイは最大コンボ %1 と記録していますが、再生したゲームでは %2 でした</source>
        <translation>This replay records a best combo of %1, but its game reached %2.</translation>
    </message>
    <message>
        <source>このリプレイは撃墜率 %1% と記録していますが、再生したゲームでは %2% でした</source>
        <translation>This replay records %1% of enemies destroyed, but its game destroyed %2%.</translation>
    </message>
    <message>
        <source>このリプレイはレベル %1 と記録していますが、再生したゲームでは %2 でした</source>
        <translation>This replay records level %1, but its game reached level %2.</translation>
    </message>
</context>
<context>
    <name>Page</name>
    <message>
        <source>全画面</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>終了しました。もう一度遊ぶには、ページを読み込み直してください。</source>
        <translation>The game has ended. Reload the page to play again.</translation>
    </message>
    <message>
        <source>ファイルの書き出し／読み込み…</source>
        <translation>Export / import files…</translation>
    </message>
    <message>
        <source>ファイルが選ばれていません</source>
        <translation>No file was chosen</translation>
    </message>
    <message>
        <source>%1 は pelaryn.cfg でも pelaryn.sco でもありません</source>
        <translation>%1 is neither pelaryn.cfg nor pelaryn.sco</translation>
    </message>
    <message>
        <source>%1 は大きすぎます</source>
        <translation>%1 is too large</translation>
    </message>
    <message>
        <source>ブラウザーに保存できませんでした</source>
        <translation>The browser could not store it</translation>
    </message>
    <message>
        <source>このファイルはブラウザーに保存できません（大きすぎるか、保存がいっぱいです）。</source>
        <translation>The browser cannot store this file (it is too large, or storage is full).</translation>
    </message>
    <message>
        <source>読み込めませんでした: %1</source>
        <translation>Could not load: %1</translation>
    </message>
    <message>
        <source>読み込みました。ページを読み込み直します…</source>
        <translation>Loaded. Reloading the page…</translation>
    </message>
    <message>
        <source>ファイルの書き出し／読み込み</source>
        <translation>Export / import files</translation>
    </message>
    <message>
        <source>書き出す</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>読み込む…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>設定 (pelaryn.cfg) とランキング (pelaryn.sco) を、デスクトップのゲームと同じファイルとして書き出したり、読み込んだりします。読み込むと、ページを読み込み直してその内容で始めます。</source>
        <translation>Exports the settings (pelaryn.cfg) and the ranking (pelaryn.sco) as the same files the desktop game keeps, or imports them. After an import the page reloads and starts with them.</translation>
    </message>
    <message>
        <source>ダウンロード</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>オンライン %1位 (%2)</source>
        <translation>Online: No. %1 (%2)</translation>
    </message>
    <message>
        <source>オンライン: 送信したゲームは受け付けられませんでした: %1</source>
        <translation>Online: the game sent was refused: %1</translation>
    </message>
    <message>
        <source>オンライン: 送信できませんでした (%1)。あとで送ります</source>
        <translation>Online: could not send (%1); it will be sent later</translation>
    </message>
    <message>
        <source>スコアボードに接続できません</source>
        <translation>Cannot reach the score board</translation>
    </message>
    <message>
        <source>スコアボードのアドレスが設定されていません (操作とサウンド…)</source>
        <translation>No score board address is set (Controls and sound…)</translation>
    </message>
    <message>
        <source>オンライン: 送信するリプレイをブラウザーに保存できませんでした</source>
        <translation>Online: the replay to send could not be kept in the browser</translation>
    </message>
    <message>
        <source>オンライン %1位 (%2) %3 </source>
        <translation>Online No. %1 (%2) %3 </translation>
    </message>
    <message>
        <source>ローカル</source>
        <translation>Local</translation>
    </message>
    <message>
        <source>オンライン</source>
        <translation>Online</translation>
    </message>
    <message>
        <source>レベル</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>あなたが送信したゲーム</source>
        <translation>A game you sent</translation>
    </message>
    <message>
        <source>%1〜%2位 (全 %3 件)</source>
        <translation>No. %1 to %2 (of %3)</translation>
    </message>
    <message>
        <source>このボードにはまだ記録がありません</source>
        <translation>No runs on this board yet</translation>
    </message>
    <message>
        <source>読み込んでいます…</source>
        <translation>Loading…</translation>
    </message>
    <message>
        <source>%1 (%2 件)</source>
        <translation>%1 (%2 runs)</translation>
    </message>
    <message>
        <source>ダウンロードしています…</source>
        <translation>Downloading…</translation>
    </message>
    <message>
        <source>前の100件</source>
        <translation>Previous 100</translation>
    </message>
    <message>
        <source>次の100件</source>
        <translation>Next 100</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Reload</translation>
    </message>
    <message>
        <source>スコアボードのアドレス</source>
        <translation>Score board address</translation>
    </message>
    <message>
        <source>オンラインで使う名前</source>
        <translation>Name used online</translation>
    </message>
    <message>
        <source>ゲームオーバーのたびに送信する</source>
        <translation>Send after every game over</translation>
    </message>
    <message>
        <source>送信するのはそのゲームのリプレイです。リプレイには、操作の入力、ゲームの設定 (背景や音楽のファイルの場所も)、ローカルのランキングの名前とスコアが含まれ、スコアボードでは誰でもダウンロードできます。アドレスが空のあいだは、どこにも接続しません。</source>
        <translation>What is sent is the game&apos;s replay: it holds your input, the game&apos;s settings (with the places of your background and music files) and the names and scores of your local ranking, and anyone can download it from the score board. While the address is empty, the page connects to nothing.</translation>
    </message>
    <message>
        <source>メニュー</source>
        <translation>Menu</translation>
    </message>
</context>
<context>
    <name>ReplayFault</name>
    <message>
        <source>リプレイファイルではありません</source>
        <translation>not a replay file</translation>
    </message>
    <message>
        <source>この版では読めない形式のリプレイです</source>
        <translation>a replay in a format this version cannot read</translation>
    </message>
    <message>
        <source>ファイルが途中で切れています</source>
        <translation>the file is cut short</translation>
    </message>
    <message>
        <source>ファイルが壊れています</source>
        <translation>the file is damaged</translation>
    </message>
    <message>
        <source>別のバージョンのゲームで記録されたリプレイです</source>
        <translation>a replay recorded with another version of the game</translation>
    </message>
</context>
<context>
    <name>Screenshot</name>
    <message>
        <source>画面がまだありません</source>
        <translation>there is no picture yet</translation>
    </message>
    <message>
        <source>%1 を作れません</source>
        <translation>cannot create %1</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>cannot write to %1</translation>
    </message>
    <message>
        <source>同じ名前のファイルが多すぎます</source>
        <translation>too many files with the same name</translation>
    </message>
</context>
<context>
    <name>pelaryn::BoardAnswer</name>
    <message>
        <source>オンライン %1位 (%2)</source>
        <translation>Online: No. %1 (%2)</translation>
    </message>
    <message>
        <source>オンライン: このゲームはすでにボードにあります</source>
        <translation>Online: this game is already on the board</translation>
    </message>
    <message>
        <source>オンライン: 受け付けられませんでした: %1</source>
        <translation>Online: refused: %1</translation>
    </message>
    <message>
        <source>オンライン: サーバーに届きませんでした。あとで送ります</source>
        <translation>Online: the server could not be reached; the run will be sent later</translation>
    </message>
</context>
<context>
    <name>pelaryn::FrmControls</name>
    <message>
        <source>操作とサウンド</source>
        <translation>Controls and sound</translation>
    </message>
    <message>
        <source>キー</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>キーを押してください</source>
        <translation>Press a key</translation>
    </message>
    <message>
        <source>%1 はメニューのキーなので割り当てられません</source>
        <translation>%1 is a menu key and cannot be used here</translation>
    </message>
    <message>
        <source>パッド</source>
        <translation>Pad</translation>
    </message>
    <message>
        <source>ボタンを押してください</source>
        <translation>Press a button</translation>
    </message>
    <message>
        <source>ショット</source>
        <translation>Shot</translation>
    </message>
    <message>
        <source>拡散ショット</source>
        <translation>Spread shot</translation>
    </message>
    <message>
        <source>サウンド</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>ミュート (M)</source>
        <translation>Mute (M)</translation>
    </message>
    <message>
        <source>ミュージック</source>
        <translation>Music</translation>
    </message>
    <message>
        <source>効果音</source>
        <translation>Sound effects</translation>
    </message>
    <message>
        <source>ウィンドウ</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>フォーカスを失ったら一時停止</source>
        <translation>Pause when the window loses focus</translation>
    </message>
    <message>
        <source>画面のフラッシュを弱める</source>
        <translation>Gentler screen flashes</translation>
    </message>
    <message>
        <source>枠をクリックしてキーかボタンを押します。Esc: そのまま&#x3000;Backspace: 解除</source>
        <translation>Click a box, then press a key or button.   Esc: leave as is   Backspace: clear</translation>
    </message>
    <message>
        <source>初期値に戻す</source>
        <translation>Restore defaults</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>パッドが見つかりません</source>
        <translation>No pad found</translation>
    </message>
    <message>
        <source>左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>上</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>システムに従う</source>
        <translation>System default</translation>
    </message>
    <message>
        <source>言語</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>参照…</source>
        <translation>Browse…</translation>
    </message>
    <message>
        <source>標準に戻す</source>
        <translation>Use default</translation>
    </message>
    <message>
        <source>サウンドフォント</source>
        <translation>Soundfont</translation>
    </message>
    <message>
        <source>標準 (TimGM6mb)</source>
        <translation>Default (TimGM6mb)</translation>
    </message>
    <message>
        <source>%1 はサウンドフォントではありません</source>
        <translation>%1 is not a soundfont</translation>
    </message>
    <message>
        <source>オンライン</source>
        <translation>Online</translation>
    </message>
    <message>
        <source>ゲームオーバーのたびに送信する</source>
        <translation>Send after every game over</translation>
    </message>
    <message>
        <source>送信されるのはゲームのリプレイです。リプレイには入力のすべて、設定 (自分で選んだ背景画像と音楽のファイルのパスを含む)、ローカルのランキングの名前とスコアが入っています。送ったリプレイはだれでもダウンロードできます。</source>
        <translation>What is sent is the game&apos;s replay. It holds all of your input, the settings (with the paths of your own background picture and music files) and the names and scores of the local ranking. Anyone can download a replay that was sent.</translation>
    </message>
    <message>
        <source>サーバー</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>%1 はサーバーのアドレスではありません (例: http://127.0.0.1:8080)</source>
        <translation>%1 is not a server address (for example http://127.0.0.1:8080)</translation>
    </message>
</context>
<context>
    <name>pelaryn::FrmRanking</name>
    <message>
        <source>ヴェルガード</source>
        <translation>Velgard</translation>
    </message>
    <message>
        <source>初期化</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>ランキング初期化</source>
        <translation>Clear the ranking</translation>
    </message>
    <message>
        <source>ランキングを初期化します。
よろしいですか？</source>
        <translation>The ranking will be cleared.
Are you sure?</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>得点</source>
        <translation>Score</translation>
    </message>
    <message>
        <source>コンボ</source>
        <translation>Combo</translation>
    </message>
    <message>
        <source>％</source>
        <translation>%</translation>
    </message>
    <message>
        <source>ローカル</source>
        <translation>Local</translation>
    </message>
    <message>
        <source>オンライン</source>
        <translation>Online</translation>
    </message>
</context>
<context>
    <name>pelaryn::FrmReplay</name>
    <message>
        <source>リプレイ</source>
        <translation>Replays</translation>
    </message>
    <message>
        <source>順位</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>スコア</source>
        <translation>Score</translation>
    </message>
    <message>
        <source>コンボ</source>
        <translation>Combo</translation>
    </message>
    <message>
        <source>撃墜率</source>
        <translation>Destroyed</translation>
    </message>
    <message>
        <source>長さ</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>日時</source>
        <translation>Played</translation>
    </message>
    <message>
        <source>再生</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>ファイルを開く…</source>
        <translation>Open file…</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>%1位</source>
        <translation>No. %1</translation>
    </message>
    <message>
        <source>最近</source>
        <translation>Recent</translation>
    </message>
    <message>
        <source>このリプレイを削除しますか？</source>
        <translation>Delete this replay?</translation>
    </message>
    <message>
        <source>%1 は再生できません。
%2</source>
        <translation>%1 cannot be played.
%2</translation>
    </message>
    <message>
        <source>送信</source>
        <translation>Send</translation>
    </message>
</context>
<context>
    <name>pelaryn::FrmVersion</name>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>ヴェルガード</source>
        <translation>Velgard</translation>
    </message>
    <message>
        <source>プログラム・絵・音楽&#x3000;pelaryn 開発チーム</source>
        <translation>Program, pictures and music: the pelaryn developers</translation>
    </message>
</context>
<context>
    <name>pelaryn::MainWindow</name>
    <message>
        <source>ヴェルガード</source>
        <translation>Velgard</translation>
    </message>
    <message>
        <source>リプレイ…</source>
        <translation>Replays…</translation>
    </message>
    <message>
        <source>操作とサウンド…</source>
        <translation>Controls and sound…</translation>
    </message>
    <message>
        <source>ミュート</source>
        <translation>Mute</translation>
    </message>
    <message>
        <source>設定を保存できませんでした: %1</source>
        <translation>The preferences could not be saved: %1</translation>
    </message>
    <message>
        <source>スクリーンショットを保存できませんでした: </source>
        <translation>The screenshot could not be saved: </translation>
    </message>
    <message>
        <source>スクリーンショットを保存しました</source>
        <translation>Screenshot saved</translation>
    </message>
    <message>
        <source> — 一時停止中</source>
        <translation> — paused</translation>
    </message>
</context>
<context>
    <name>pelaryn::OnlineRanking</name>
    <message>
        <source>順位</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>得点</source>
        <translation>Score</translation>
    </message>
    <message>
        <source>コンボ</source>
        <translation>Combo</translation>
    </message>
    <message>
        <source>％</source>
        <translation>%</translation>
    </message>
    <message>
        <source>レベル</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>時間</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>日付</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>前へ</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>次へ</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Reload</translation>
    </message>
    <message>
        <source>再生</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>ボードのアドレスが設定されていません（設定 → 操作とサウンド… → オンライン）。</source>
        <translation>No board address is set (Settings → Controls and Sound… → Online).</translation>
    </message>
    <message>
        <source>オンライン %1位 %2</source>
        <translation>Online No. %1 %2</translation>
    </message>
    <message>
        <source>読み込み中…</source>
        <translation>Loading…</translation>
    </message>
    <message>
        <source>ボードの答えが大きすぎます。</source>
        <translation>The board&apos;s answer is too large.</translation>
    </message>
    <message>
        <source>ボードに届きませんでした: %1</source>
        <translation>Could not reach the board: %1</translation>
    </message>
    <message>
        <source>ボードが断りました: %1</source>
        <translation>The board refused: %1</translation>
    </message>
    <message>
        <source>ボードの答えを読めませんでした。</source>
        <translation>Could not read the board&apos;s answer.</translation>
    </message>
    <message>
        <source>%1（%2件）</source>
        <translation>%1 (%2 runs)</translation>
    </message>
    <message>
        <source>ボードにはまだ記録がありません。</source>
        <translation>The board has no runs yet.</translation>
    </message>
    <message>
        <source>%1–%2位 / %3件</source>
        <translation>No. %1–%2 of %3</translation>
    </message>
    <message>
        <source>このリプレイは再生できません: %1</source>
        <translation>This replay cannot be played: %1</translation>
    </message>
</context>
</TS>
