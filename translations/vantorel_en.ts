<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>CommandLine</name>
    <message>
        <source>--lang には en か ja を指定してください（%1）</source>
        <translation>--lang takes en or ja (not &quot;%1&quot;)</translation>
    </message>
    <message>
        <source>知らないオプションです：%1</source>
        <translation>unknown option: %1</translation>
    </message>
    <message>
        <source>使い方は vantorel --help で表示されます。</source>
        <translation>vantorel --help shows how to use it.</translation>
    </message>
    <message>
        <source>使い方：vantorel [オプション] [ファイル…]

標高タイルを3Dの風景と地図で表示します。引数のうち最初の標高タイル（またはフォルダ）を開き，
続くGPXファイルと山名リストをその上に表示します。ファイルはウィンドウにドロップするか，
Ctrl+O でも開けます。

開ける標高タイル（緯度経度1度分）：
  ASTER GDEM v2/v3（…_dem.tif），SRTM 1秒・3秒と NASADEM（.hgt，.hgt.zip，NASADEM_HGT_….zip），
  Copernicus DEM GLO-30・GLO-90（Copernicus_DSM_….tif），ALOS World 3D 30m（ALPSMLC30_…_DSM.tif），
  緯度経度で位置の分かる1度分の GeoTIFF（int16，uint16，float32 の1バンド）。
  フォルダを指定すると，中央に最も近いタイルを開きます。同じフォルダの隣のタイルは結合されます。
GPXファイル（.gpx）：トラック，ルート，ウェイポイントを表示します（F でトラックに沿って飛びます）。
山名リスト：OpenStreetMap（.osm，.osm.pbf，.osm.gz，.osm.bz2），GeoNames（.txt），
  CSV（名前,緯度,経度[,標高]）。

オプション：
  --lang en|ja   表示する言語（指定がなければシステムの言語設定に従います）
  -h, --help     この説明を表示して終了します
  --version      バージョンを表示して終了します
  --             これより後の引数はすべてファイル名です
Qt のオプション（-platform，-display など）も使えます。

キー：
  ↑ ↓ ← →           前進・後退，左右に向きを変える
  PageUp/PageDown   上昇・下降
  + -               視野角を狭める・広げる
  [ ]               高さの強調を弱める・強める
  Home              最初の視点に戻る
  Space             回転デモの開始・停止
  L                 山名の表示を切り替える
  N                 自然な見た目を切り替える（Alt+← → で太陽を10分動かす）
  C                 地球の丸みを切り替える
  F                 GPXトラックに沿って飛ぶ・止める
  Delete            GPXファイルを閉じる
  Esc               GPXファイルや山名リストの読み込みを止める
  Ctrl+O            ファイルを開く
  Ctrl+G            地点へ移動する
  Ctrl+S            3D画像を保存する（Ctrl+Shift+S で陰影図）
  Ctrl+C            3D画像をコピーする
  Ctrl+Shift+N      山名リストの一覧
  F11               全画面表示の切り替え
  F1                キーの一覧

終了コード：0 正常，2 コマンドラインの誤り。
</source>
        <extracomment>The text of vantorel --help. The option names, product names, file names and key names stay as they are.</extracomment>
        <translation>Usage: vantorel [options] [files...]

Shows elevation tiles as a 3D landscape and a map. The first elevation tile
(or folder) among the arguments is opened; the GPX files and lists of names
after it are shown over it. Files can also be dropped on the window or
opened with Ctrl+O.

Elevation tiles (one 1 x 1 degree cell):
  ASTER GDEM v2/v3 (..._dem.tif), SRTM 1&quot; and 3&quot; and NASADEM (.hgt, .hgt.zip,
  NASADEM_HGT_....zip), Copernicus DEM GLO-30 and GLO-90 (Copernicus_DSM_....tif),
  ALOS World 3D 30 m (ALPSMLC30_..._DSM.tif), and any GeoTIFF of one cell in
  latitude and longitude (one band of int16, uint16 or float32).
  A folder opens the tile nearest its middle. The tiles beside it in the
  same folder are joined with it.
GPX files (.gpx): tracks, routes and waypoints (F flies along a track).
Lists of names: OpenStreetMap (.osm, .osm.pbf, .osm.gz, .osm.bz2),
  GeoNames (.txt), CSV (name,latitude,longitude[,elevation]).

Options:
  --lang en|ja   the language shown (default: the system&apos;s language)
  -h, --help     print this help and exit
  --version      print the version and exit
  --             every argument after this is a file name
Qt&apos;s options (-platform, -display, ...) work too.

Keys:
  Up Down Left Right  move forward or back, turn left or right
  PageUp/PageDown   climb or descend
  + -               narrow or widen the angle of view
  [ ]               less or more height exaggeration
  Home              back to the start view
  Space             start or stop the rotation demo
  L                 show or hide the summit labels
  N                 natural look on or off (Alt+Left/Right: sun 10 minutes)
  C                 earth curvature on or off
  F                 fly along a GPX track, or stop
  Delete            close the GPX files
  Esc               stop reading GPX files or lists of names
  Ctrl+O            open a file
  Ctrl+G            go to a place
  Ctrl+S            save the 3D view (Ctrl+Shift+S: the shaded relief)
  Ctrl+C            copy the 3D view
  Ctrl+Shift+N      the lists of names
  F11               full screen on or off
  F1                the keys

Exit status: 0 success, 2 a command-line error.
</translation>
    </message>
</context>
<context>
    <name>FlightRecording</name>
    <message>
        <source>MP4 動画 (*.mp4)</source>
        <extracomment>The save dialog&apos;s filter for videos.</extracomment>
        <translation>MP4 video (*.mp4)</translation>
    </message>
    <message>
        <source>飛行を録画しています…</source>
        <translation>Recording the flight...</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>飛行を録画しています… %1 コマ</source>
        <translation>Recording the flight... %1 frames</translation>
    </message>
    <message>
        <source>飛行を録画…</source>
        <translation>Record flight...</translation>
    </message>
    <message>
        <source>飛行を録画</source>
        <extracomment>The title of the save dialog for a flight&apos;s video.</extracomment>
        <translation>Record flight</translation>
    </message>
</context>
<context>
    <name>GoToPlace</name>
    <message>
        <source>場所へ移動</source>
        <translation>Go to a place</translation>
    </message>
    <message>
        <source>緯度と経度：</source>
        <translation>Latitude and longitude:</translation>
    </message>
    <message>
        <source>「%1」は位置として読めません．</source>
        <extracomment>%1 is the text typed into the go-to box.</extracomment>
        <translation>&quot;%1&quot; cannot be read as a position.</translation>
    </message>
    <message>
        <source>%1のタイルが同じフォルダにありません．</source>
        <extracomment>%1 names a one-degree tile, as in N36E139.</extracomment>
        <translation>There is no tile for %1 in the same folder.</translation>
    </message>
    <message>
        <source>場所へ移動…</source>
        <translation>Go to a place…</translation>
    </message>
    <message>
        <source>位置をコピー</source>
        <translation>Copy the position</translation>
    </message>
</context>
<context>
    <name>Gpx</name>
    <message>
        <source>GPXファイルではありません（XMLとして読めません）．</source>
        <translation>This is not a GPX file (it is not XML).</translation>
    </message>
    <message>
        <source>GPXファイルではありません（gpx要素がありません）．</source>
        <translation>This is not a GPX file (it has no gpx element).</translation>
    </message>
    <message>
        <source>GPXファイルが壊れています：%1</source>
        <translation>The GPX file is damaged: %1</translation>
    </message>
    <message>
        <source>ファイルの途中が壊れていたため，そこまでを表示します．</source>
        <translation>The file is damaged part way; what comes before the damage is shown.</translation>
    </message>
    <message>
        <source>範囲外の座標 %1 点を除きました．</source>
        <translation>%1 points with coordinates off the globe were left out.</translation>
    </message>
    <message>
        <source>点が多すぎるため，最初の %1 点だけを表示します．</source>
        <translation>The file has too many points; the first %1 are shown.</translation>
    </message>
    <message>
        <source>GPXファイルが大きすぎます．</source>
        <translation>The GPX file is too large.</translation>
    </message>
    <message>
        <source>GPXファイルの読み込みを中止しました．</source>
        <translation>Reading the GPX file was stopped.</translation>
    </message>
    <message>
        <source>点が1つしかない経路やトラック %1 本を除きました．</source>
        <translation>Left out %1 routes or track segments of only one point.</translation>
    </message>
    <message>
        <source>ファイルがありません．</source>
        <translation>The file does not exist.</translation>
    </message>
    <message>
        <source>通常のファイルではありません．</source>
        <translation>This is not a regular file.</translation>
    </message>
    <message>
        <source>GPXファイルを読む権限がないか，読めないファイルです．</source>
        <translation>The GPX file cannot be read (no permission, or unreadable).</translation>
    </message>
</context>
<context>
    <name>GpxLoading</name>
    <message>
        <source>GPXを読み込み中 %p%（Escで中止）</source>
        <extracomment>The bar under the map while a GPX file is read; %p is the percentage read.</extracomment>
        <translation>Reading GPX %p% (Esc stops)</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>操作</source>
        <translation>Key or action</translation>
    </message>
    <message>
        <source>はたらき</source>
        <translation>Does</translation>
    </message>
    <message>
        <source>キーとマウス</source>
        <extracomment>The title of the F1 window listing the keys and mouse actions.</extracomment>
        <translation>Keys and mouse</translation>
    </message>
    <message>
        <source>キー</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>マウス</source>
        <translation>Mouse</translation>
    </message>
    <message>
        <source>向きを変える</source>
        <translation>Turn</translation>
    </message>
    <message>
        <source>前後に進む（Shiftで10倍，Altで1/10）</source>
        <translation>Move forward and back (Shift ×10, Alt ×0.1)</translation>
    </message>
    <message>
        <source>最低高度を上げ下げ</source>
        <translation>Raise and lower the minimum altitude</translation>
    </message>
    <message>
        <source>視野角を狭める・広げる</source>
        <translation>Narrow and widen the angle of view</translation>
    </message>
    <message>
        <source>高さの強調を下げる・上げる</source>
        <translation>Lower and raise the height exaggeration</translation>
    </message>
    <message>
        <source>山頂のラベルを表示する・隠す</source>
        <translation>Show and hide the summit labels</translation>
    </message>
    <message>
        <source>GPXの軌跡に沿って飛ぶ・止める</source>
        <translation>Fly along the GPX track, or stop</translation>
    </message>
    <message>
        <source>地球の丸みを表す・表さない</source>
        <translation>Draw the earth curved or flat</translation>
    </message>
    <message>
        <source>自然な見え方・従来の見え方</source>
        <translation>The natural or the classic look</translation>
    </message>
    <message>
        <source>自然な見え方の太陽を10分戻す・進める</source>
        <translation>In the natural look, the sun 10 minutes earlier or later</translation>
    </message>
    <message>
        <source>視点からのパノラマ</source>
        <translation>The panorama around the eye</translation>
    </message>
    <message>
        <source>GPXの表示を消す</source>
        <translation>Clear the GPX files</translation>
    </message>
    <message>
        <source>最初の視点に戻る</source>
        <translation>Back to the start view</translation>
    </message>
    <message>
        <source>デモを始める・止める</source>
        <translation>Start and stop the demo</translation>
    </message>
    <message>
        <source>タイル，GPXファイル，名前リストを開く</source>
        <translation>Open a tile, a GPX file or a list of names</translation>
    </message>
    <message>
        <source>3D表示・陰影図を保存</source>
        <translation>Save the 3D view / the shaded relief</translation>
    </message>
    <message>
        <source>3D表示をコピー</source>
        <translation>Copy the 3D view</translation>
    </message>
    <message>
        <source>位置を入力して移動</source>
        <translation>Go to a typed position</translation>
    </message>
    <message>
        <source>名前リストの一覧</source>
        <translation>The lists of names</translation>
    </message>
    <message>
        <source>全画面</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>この一覧</source>
        <translation>This list</translation>
    </message>
    <message>
        <source>GPXや名前リストの読み込みを止める</source>
        <translation>Stop reading GPX files or lists of names</translation>
    </message>
    <message>
        <source>地図：クリック</source>
        <translation>Map: click</translation>
    </message>
    <message>
        <source>そこへ移動</source>
        <translation>Move there</translation>
    </message>
    <message>
        <source>地図：ドラッグ</source>
        <translation>Map: drag</translation>
    </message>
    <message>
        <source>移動して，ドラッグの向きを見る</source>
        <translation>Move, and look along the drag</translation>
    </message>
    <message>
        <source>地図：右クリック</source>
        <translation>Map: right-click</translation>
    </message>
    <message>
        <source>その方向を向く</source>
        <translation>Turn towards that point</translation>
    </message>
    <message>
        <source>3D表示：上半分のドラッグ</source>
        <translation>3D view: drag in the upper half</translation>
    </message>
    <message>
        <source>向きと傾き</source>
        <translation>Turn and tilt</translation>
    </message>
    <message>
        <source>3D表示：下半分のドラッグ</source>
        <translation>3D view: drag in the lower half</translation>
    </message>
    <message>
        <source>横移動と高度</source>
        <translation>Slide and climb</translation>
    </message>
    <message>
        <source>3D表示：Ctrl+上下ドラッグ</source>
        <translation>3D view: Ctrl + drag up or down</translation>
    </message>
    <message>
        <source>視野角</source>
        <translation>Angle of view</translation>
    </message>
    <message>
        <source>3D表示：ホイール</source>
        <translation>3D view: wheel</translation>
    </message>
    <message>
        <source>前後に進む（Ctrlで視野角）</source>
        <translation>Move forward and back (Ctrl: angle of view)</translation>
    </message>
    <message>
        <source>3D表示：ラベルをクリック</source>
        <translation>3D view: click a label</translation>
    </message>
    <message>
        <source>その山を向く</source>
        <translation>Face that summit</translation>
    </message>
    <message>
        <source>3D表示：右クリック</source>
        <translation>3D view: right-click</translation>
    </message>
    <message>
        <source>保存とコピーのメニュー</source>
        <translation>The menu to save and copy</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>視点に最も近い点から軌跡を飛ぶ</source>
        <translation>Fly the track from the point nearest the eye</translation>
    </message>
    <message>
        <source>飛行中の + / -</source>
        <translation>+ / - while flying</translation>
    </message>
    <message>
        <source>速さを上げる・下げる</source>
        <translation>Faster and slower</translation>
    </message>
    <message>
        <source>飛行中のSpace</source>
        <translation>Space while flying</translation>
    </message>
    <message>
        <source>一時停止・再開</source>
        <translation>Pause and go on</translation>
    </message>
    <message>
        <source>次の飛行を動画に録画</source>
        <translation>Record the next flight as a video</translation>
    </message>
    <message>
        <source>地図：ホイール</source>
        <translation>Map: wheel</translation>
    </message>
    <message>
        <source>カーソルを中心に拡大・縮小</source>
        <translation>Zoom in and out about the cursor</translation>
    </message>
    <message>
        <source>地図：中ボタンのドラッグ</source>
        <translation>Map: middle-button drag</translation>
    </message>
    <message>
        <source>地図を動かす</source>
        <translation>Pan the map</translation>
    </message>
    <message>
        <source>地図：中ボタンのダブルクリック</source>
        <translation>Map: middle-button double-click</translation>
    </message>
    <message>
        <source>全体を表示</source>
        <translation>Show the whole set</translation>
    </message>
    <message>
        <source>地図：Shift+ドラッグ</source>
        <translation>Map: Shift + drag</translation>
    </message>
    <message>
        <source>2点間の距離と方位を測る</source>
        <translation>Measure the distance and bearing between two points</translation>
    </message>
    <message>
        <source>GPXの軌跡の標高断面図を表示する・隠す</source>
        <translation>Show or hide the GPX track&apos;s elevation profile</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>ja</source>
        <extracomment>This translation&apos;s language code (&quot;en&quot;): the labels give place names in this language.</extracomment>
        <translation>en</translation>
    </message>
</context>
<context>
    <name>LoadNote</name>
    <message>
        <source>隣のタイル%1を読み込めないため，そこを海面としました：%2</source>
        <translation>The neighbouring tile %1 could not be read and is shown at sea level: %2</translation>
    </message>
    <message>
        <source>メモリが足りないため，%1を隣のタイルと結合せずに開きました．</source>
        <translation>Not enough memory to join the neighbouring tiles: %1 was opened alone.</translation>
    </message>
</context>
<context>
    <name>LoadingWindow</name>
    <message>
        <source>読込中．．．</source>
        <translation>Loading...</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>カーソル位置情報</source>
        <translation>At the cursor</translation>
    </message>
    <message>
        <source>・・・</source>
        <translation>...</translation>
    </message>
    <message>
        <source>*上地図をクリックすれば視点が移動します。</source>
        <translation>*Click the map to move the eye there.</translation>
    </message>
    <message>
        <source>*マウス右クリックで視線方位を変更します。</source>
        <translation>*Right-click it to look that way.</translation>
    </message>
    <message>
        <source>前進</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>後退</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>３D画面上半分を左右にドラッグすれば視線方位が変わります。</source>
        <translation>Drag the 3D view&apos;s upper half sideways to turn.</translation>
    </message>
    <message>
        <source>&#x3000;〃&#x3000;下半分を左右にドラッグすれば横方向に移動します。</source>
        <translation>Drag its lower half sideways to move sideways.</translation>
    </message>
    <message>
        <source>&#x3000;〃&#x3000;上半分を上下にドラッグすれば視線ピッチ(上下)が変わります。</source>
        <translation>Drag its upper half up or down to tilt the view.</translation>
    </message>
    <message>
        <source>&#x3000;〃&#x3000;下半分を上下にドラッグすれば高度が変わります。</source>
        <translation>Drag its lower half up or down to climb or sink.</translation>
    </message>
    <message>
        <source>&quot;ASTGTM_xxxx_dem.tif&quot;をドラッグドロップで表示します。</source>
        <translation>Drop an &quot;ASTGTM_xxxx_dem.tif&quot; here to view it.</translation>
    </message>
    <message>
        <source>ﾘﾝｸ→</source>
        <translation>Links:</translation>
    </message>
    <message>
        <source>ASTER-GDEM,ﾀﾞｳﾝﾛｰﾄﾞ</source>
        <translation>ASTER GDEM download</translation>
    </message>
    <message>
        <source>最高地点</source>
        <translation>Summit</translation>
    </message>
    <message>
        <source>旋回デモ(開始/終了)</source>
        <translation>Demo flight (on/off)</translation>
    </message>
    <message>
        <source>%1 ： %2</source>
        <extracomment>The window title with a tile open: the program&apos;s name and version, then the tile&apos;s path.</extracomment>
        <translation>%1 – %2</translation>
    </message>
    <message>
        <source>%1(m)</source>
        <extracomment>The step buttons&apos; hint: how far one click moves, in metres.</extracomment>
        <translation>%1 m</translation>
    </message>
    <message>
        <source>開くタイルは一つです．%1 は開きませんでした．</source>
        <translation>Only one tile opens at a time. %1 was not opened.</translation>
    </message>
</context>
<context>
    <name>MapMeasure</name>
    <message>
        <source>距離 %1 km&#x3000;方位 %2°</source>
        <extracomment>The map&apos;s measuring line: the distance in kilometres and the bearing in degrees from north.</extracomment>
        <translation>Distance %1 km, bearing %2°</translation>
    </message>
</context>
<context>
    <name>NameLists</name>
    <message>
        <source>名前リストを読み込み中 %p%（Escで中止）</source>
        <extracomment>The bar under the map while the lists of names are read; %p is the percentage read.</extracomment>
        <translation>Reading the lists of names %p% (Esc to stop)</translation>
    </message>
</context>
<context>
    <name>NameListsDialog</name>
    <message>
        <source>名前リスト</source>
        <extracomment>The title of the small window listing the remembered lists of names.</extracomment>
        <translation>Lists of names</translation>
    </message>
    <message>
        <source>追加…</source>
        <translation>Add…</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>名前リストを追加</source>
        <translation>Add a list of names</translation>
    </message>
    <message>
        <source>名前リスト (%1)</source>
        <translation>Lists of names (%1)</translation>
    </message>
    <message>
        <source>名前リスト…</source>
        <translation>Lists of names…</translation>
    </message>
</context>
<context>
    <name>NaturalLook</name>
    <message>
        <source>自然な見え方</source>
        <translation>Natural look</translation>
    </message>
    <message>
        <source>自然な見え方の設定…</source>
        <translation>Natural look settings…</translation>
    </message>
    <message>
        <source>太陽の時刻（Alt+← / Alt+→で10分ずつ）</source>
        <extracomment>The sun&apos;s slider under the map: the time of day, and the keys that step it.</extracomment>
        <translation>The sun&apos;s time of day (Alt+← / Alt+→: 10 minutes)</translation>
    </message>
    <message>
        <source>太陽 %1</source>
        <extracomment>The clock under the map: the date (month-day) and time of day of the natural look&apos;s sun.</extracomment>
        <translation>Sun %1</translation>
    </message>
</context>
<context>
    <name>NaturalSettingsDialog</name>
    <message>
        <source>自然な見え方の設定</source>
        <translation>Natural look settings</translation>
    </message>
    <message>
        <source>今日の正午</source>
        <translation>Today&apos;s noon</translation>
    </message>
    <message>
        <source>年-月-日T時:分±時:分（UTCとの差）</source>
        <extracomment>The moment&apos;s form, as typed: date, time and the clock&apos;s offset from UTC.</extracomment>
        <translation>year-month-dayThour:minute±hours:minutes (from UTC)</translation>
    </message>
    <message>
        <source>日時：</source>
        <translation>Moment:</translation>
    </message>
    <message>
        <source>澄んだ日</source>
        <translation>clear</translation>
    </message>
    <message>
        <source>霞んだ日</source>
        <translation>hazy</translation>
    </message>
    <message>
        <source>かすみ：</source>
        <translation>Haze:</translation>
    </message>
    <message>
        <source>雪線：</source>
        <translation>Snow line:</translation>
    </message>
    <message>
        <source>「2026-06-21T07:00+09:00」の形で入力してください．</source>
        <extracomment>Shown under a moment that cannot be read.</extracomment>
        <translation>Please type it as 2026-06-21T07:00+09:00.</translation>
    </message>
</context>
<context>
    <name>OpenTile</name>
    <message>
        <source>標高タイル (%1)</source>
        <translation>Elevation tiles (%1)</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>開く…</source>
        <translation>Open…</translation>
    </message>
    <message>
        <source>GPXファイル (%1)</source>
        <translation>GPX files (%1)</translation>
    </message>
    <message>
        <source>名前リストとGPX (%1)</source>
        <translation>Lists of names and GPX (%1)</translation>
    </message>
    <message>
        <source>標高タイル，GPX，山名リスト (%1)</source>
        <translation>Elevation tiles, GPX, lists of names (%1)</translation>
    </message>
    <message>
        <source>ファイルを開く</source>
        <translation>Open a file</translation>
    </message>
    <message>
        <source>最近のファイル</source>
        <extracomment>The heading of the recent files in the open button&apos;s menu.</extracomment>
        <translation>Recent files</translation>
    </message>
    <message>
        <source>（なし）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>履歴を消す</source>
        <translation>Clear the list</translation>
    </message>
    <message>
        <source>起動時に前回の視点を復元する</source>
        <translation>Restore the last view on start</translation>
    </message>
    <message>
        <source>標高タイル，GPXファイル，山名リストを開く (Ctrl+O)，最近のファイル</source>
        <translation>Open an elevation tile, GPX file or list of names (Ctrl+O), or a recent file</translation>
    </message>
</context>
<context>
    <name>PanoramaWindow</name>
    <message>
        <source>パノラマ</source>
        <extracomment>The title of the window showing the panorama around the eye.</extracomment>
        <translation>Panorama</translation>
    </message>
    <message>
        <source>保存…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>パノラマを保存</source>
        <translation>Save the panorama</translation>
    </message>
    <message>
        <source>パノラマを描いています…</source>
        <translation>Drawing the panorama…</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>パノラマ…</source>
        <translation>Panorama…</translation>
    </message>
</context>
<context>
    <name>PlaceList</name>
    <message>
        <source>ファイルが読み込めません．</source>
        <translation>The file cannot be read.</translation>
    </message>
    <message>
        <source>通常のファイルではありません．</source>
        <translation>This is not a regular file.</translation>
    </message>
    <message>
        <source>山名リストの形式(.osm，.osm.pbf，.txt，.csv)ではありません．</source>
        <translation>This is not a list of places (.osm, .osm.pbf, .txt, .csv).</translation>
    </message>
    <message>
        <source>OSMデータが壊れています．</source>
        <translation>The OpenStreetMap data is damaged.</translation>
    </message>
    <message>
        <source>読み込みを中止しました．</source>
        <translation>Loading was stopped.</translation>
    </message>
    <message>
        <source>列が足りません．</source>
        <translation>Columns are missing.</translation>
    </message>
    <message>
        <source>行が長すぎます．</source>
        <translation>The line is too long.</translation>
    </message>
    <message>
        <source>緯度経度が数値ではありません．</source>
        <translation>The latitude or longitude is not a number.</translation>
    </message>
    <message>
        <source>緯度経度が範囲外です．</source>
        <translation>The latitude or longitude is out of range.</translation>
    </message>
    <message>
        <source>名前がUTF-8ではありません．</source>
        <translation>The name is not UTF-8.</translation>
    </message>
    <message>
        <source>名前がありません．</source>
        <translation>The place has no name.</translation>
    </message>
    <message>
        <source>引用符が閉じていません．</source>
        <translation>A quotation mark is not closed.</translation>
    </message>
    <message>
        <source>名前が長すぎるため切り詰めました．</source>
        <translation>The name was too long and has been shortened.</translation>
    </message>
    <message>
        <source>標高が数値ではありません．</source>
        <translation>The elevation is not a number.</translation>
    </message>
</context>
<context>
    <name>ProfilePanel</name>
    <message>
        <source>%1 m</source>
        <translation>%1 m</translation>
    </message>
    <message>
        <source>%1 km</source>
        <translation>%1 km</translation>
    </message>
    <message>
        <source>標高断面図</source>
        <translation>Elevation profile</translation>
    </message>
    <message>
        <source>GPXファイルの軌跡がありません．軌跡のあるGPXファイルを開いてください．</source>
        <translation>No GPX track. Open a GPX file with a track.</translation>
    </message>
    <message>
        <source>%1：高さがわかりません（読み込んだ範囲の外）</source>
        <translation>%1: no heights (outside the loaded area)</translation>
    </message>
    <message>
        <source>%1：上り %2 m，下り %3 m，最高点 %4 m（%5 km地点）</source>
        <translation>%1: up %2 m, down %3 m, top %4 m at %5 km</translation>
    </message>
    <message>
        <source>長さ %1 km</source>
        <translation>Length %1 km</translation>
    </message>
    <message>
        <source>標高データ</source>
        <translation>Elevation data</translation>
    </message>
    <message>
        <source>GPXファイルの標高</source>
        <translation>GPX file</translation>
    </message>
</context>
<context>
    <name>Readouts</name>
    <message>
        <source> %1ﾟ%2&apos;%3&quot;%4</source>
        <extracomment>Degrees, minutes, seconds and tenths of a second of an angle.</extracomment>
        <translation> %1°%2&apos;%3.%4&quot;</translation>
    </message>
    <message>
        <source>&#x3000;高さ×%1</source>
        <extracomment>How many times higher than they are the heights are drawn.</extracomment>
        <translation>  heights ×%1</translation>
    </message>
    <message>
        <source>視点：%1&#x3000;%2&#x3000;&#x3000;最低高度：%3(m)&#x3000;高度：%4(m)&#x3000;方位：%5ﾟ&#x3000;ﾋﾟｯﾁ：%6ﾟ&#x3000;視野角は%7ﾟ</source>
        <extracomment>The 3D view&apos;s status line: the eye&apos;s latitude and longitude, its lowest altitude and its altitude in metres, the azimuth, pitch and angle of view.</extracomment>
        <translation>Eye: %1 %2  Min alt: %3 m  Alt: %4 m  Azimuth: %5°  Pitch: %6°  FOV: %7°</translation>
    </message>
    <message>
        <source>Z.距離:%1(m),  標高:%2(m)</source>
        <extracomment>The cursor line: the distance to the ground under the cursor and its height, in metres.</extracomment>
        <translation>Distance:%1 m,  Elevation:%2 m</translation>
    </message>
    <message>
        <source>%1(Hz)</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>山頂</source>
        <extracomment>The cursor line over a label without a name: a summit found in the heights.</extracomment>
        <translation>Summit</translation>
    </message>
    <message>
        <source>リスト:%1m</source>
        <extracomment>The cursor line over a label: the elevation the list of names gives, metres.</extracomment>
        <translation>listed %1 m</translation>
    </message>
    <message>
        <source>データ:%1m</source>
        <extracomment>The cursor line over a label: the height in the elevation data, metres.</extracomment>
        <translation>data %1 m</translation>
    </message>
    <message>
        <source>独立:%1m</source>
        <extracomment>The cursor line over a label: the summit&apos;s prominence, metres.</extracomment>
        <translation>prom. %1 m</translation>
    </message>
    <message>
        <source>%1km %2°</source>
        <extracomment>The cursor line over a label: distance (km) and bearing (degrees) from the eye.</extracomment>
        <translation>%1 km %2°</translation>
    </message>
    <message>
        <source>欠測値%1点は海面としました．</source>
        <extracomment>Samples of the tiles read that held no height (voids), drawn at sea level.</extracomment>
        <translation>%1 samples without data were drawn at sea level.</translation>
    </message>
    <message>
        <source>&#x3000;太陽：%1ﾟ／%2ﾟ</source>
        <extracomment>The status line&apos;s end in the natural look: the sun&apos;s azimuth and altitude in whole degrees.</extracomment>
        <translation>  Sun %1°/%2°</translation>
    </message>
    <message>
        <source>&#x3000;地球曲率</source>
        <extracomment>The status line&apos;s note that the earth is drawn curved (key C).</extracomment>
        <translation>  curved earth</translation>
    </message>
</context>
<context>
    <name>Refusal</name>
    <message>
        <source>%1 を開けませんでした：%2</source>
        <extracomment>A file that could not be opened (%1, its path) and why (%2, a whole sentence).</extracomment>
        <translation>Could not open %1: %2</translation>
    </message>
</context>
<context>
    <name>RenderTool</name>
    <message>
        <source>2つ目のタイルです：%1</source>
        <translation>a second tile: %1</translation>
    </message>
    <message>
        <source>%1 の値が正しくありません：%2</source>
        <translation>bad value for %1: %2</translation>
    </message>
    <message>
        <source>知らないオプションです：%1</source>
        <translation>unknown option %1</translation>
    </message>
    <message>
        <source>%1 には値が要ります</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>%1 は値を取りません：%2</source>
        <translation>%1 takes no value: %2</translation>
    </message>
    <message>
        <source>タイルが指定されていません</source>
        <translation>no tile named</translation>
    </message>
    <message>
        <source>--panorama には --out が要ります</source>
        <translation>--panorama needs --out</translation>
    </message>
    <message>
        <source>--fly には --video が要ります</source>
        <translation>--fly needs --video</translation>
    </message>
    <message>
        <source>--video では --out の画像も --panorama も書きません</source>
        <translation>--video writes no --out picture or --panorama</translation>
    </message>
    <message>
        <source>使い方：</source>
        <translation>usage:</translation>
    </message>
</context>
<context>
    <name>SavePicture</name>
    <message>
        <source>メモリが足りません．</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>保存できません：</source>
        <extracomment>Followed by the file&apos;s path and the reason.</extracomment>
        <translation>Cannot save: </translation>
    </message>
    <message>
        <source>3D画像を保存…</source>
        <translation>Save the 3D view…</translation>
    </message>
    <message>
        <source>%1×%2で保存…</source>
        <extracomment>The 3D view&apos;s menu: save the view at width × height pixels.</extracomment>
        <translation>Save at %1×%2…</translation>
    </message>
    <message>
        <source>陰影図を保存…</source>
        <translation>Save the shaded relief…</translation>
    </message>
    <message>
        <source>3D画像をコピー</source>
        <translation>Copy the 3D view</translation>
    </message>
    <message>
        <source>ディスクがいっぱいです．</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>ディスクの割り当てを超えました．</source>
        <translation>The disk quota is used up.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます．</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>書き込む権限がありません．</source>
        <translation>No permission to write there.</translation>
    </message>
    <message>
        <source>読み取り専用の場所です．</source>
        <translation>The place is read-only.</translation>
    </message>
    <message>
        <source>同じ名前のフォルダがあります．</source>
        <translation>A folder of that name is there.</translation>
    </message>
    <message>
        <source>フォルダがありません．</source>
        <translation>The folder does not exist.</translation>
    </message>
    <message>
        <source>ラベルとGPXも保存する</source>
        <translation>Save with labels and GPX</translation>
    </message>
</context>
<context>
    <name>TileError</name>
    <message>
        <source>通常のファイルではありません．</source>
        <translation>This is not a regular file.</translation>
    </message>
    <message>
        <source>標高データを最後まで読めません．</source>
        <translation>The elevation data cannot be read to the end.</translation>
    </message>
    <message>
        <source>TIFFファイルが壊れています．</source>
        <translation>The TIFF file is damaged.</translation>
    </message>
    <message>
        <source>3601×3601の16ビット標高タイルではありません．</source>
        <translation>This is not a 3601 × 3601 tile of 16-bit heights.</translation>
    </message>
    <message>
        <source>16ビット整数以外の標高データは読み込めません．</source>
        <translation>Only heights stored as 16-bit integers can be read.</translation>
    </message>
    <message>
        <source>タイルの緯度が範囲外です．</source>
        <translation>The tile&apos;s latitude is out of range.</translation>
    </message>
    <message>
        <source>読み込みを中止しました．</source>
        <translation>Loading was stopped.</translation>
    </message>
    <message>
        <source>対応していない形式の標高データです．</source>
        <translation>This elevation data is in a format that cannot be read.</translation>
    </message>
    <message>
        <source>緯度経度1度分のタイルの大きさではありません．</source>
        <translation>The file does not cover one 1° × 1° tile.</translation>
    </message>
    <message>
        <source>位置情報がなく，ファイル名からも位置が分かりません．</source>
        <translation>The file has no georeferencing and its name gives no position.</translation>
    </message>
    <message>
        <source>タイルの経度が範囲外です．</source>
        <translation>The tile&apos;s longitude is out of range.</translation>
    </message>
    <message>
        <source>ZIPファイルに標高データ(.hgt)がありません．</source>
        <translation>The ZIP file holds no elevation data (.hgt).</translation>
    </message>
    <message>
        <source>メモリが足りないため読み込めません．</source>
        <translation>There is not enough memory to load it.</translation>
    </message>
    <message>
        <source>ZIPファイルのファイル数が多すぎます(標高データのZIPは1万ファイルまでです)．</source>
        <translation>The ZIP file holds too many files (an elevation ZIP holds at most 10,000).</translation>
    </message>
    <message>
        <source>有効な標高値が一つもありません．</source>
        <translation>The file holds no valid elevation.</translation>
    </message>
    <message>
        <source>ZIPファイルの標高データが暗号化されています．</source>
        <translation>The elevation data in the ZIP file is encrypted.</translation>
    </message>
    <message>
        <source>この形式の標高データを読むにはGDALが必要ですが，インストールされていません．</source>
        <translation>Reading elevation data of this format needs GDAL, which is not installed.</translation>
    </message>
    <message>
        <source>標高データのファイルではありません（開けるのはASTER GDEM，SRTM，NASADEM，Copernicus DEM，ALOS World 3Dのタイルと，緯度経度1度分のGeoTIFFです）．</source>
        <translation>This is not an elevation file (tiles of ASTER GDEM, SRTM, NASADEM, Copernicus DEM and ALOS World 3D, and GeoTIFFs of one 1 x 1 degree cell open).</translation>
    </message>
    <message>
        <source>ファイルを読む権限がないか，読めないファイルです．</source>
        <translation>The file cannot be read (no permission, or unreadable).</translation>
    </message>
    <message>
        <source>ファイルがありません．</source>
        <translation>The file does not exist.</translation>
    </message>
</context>
<context>
    <name>VideoWriter</name>
    <message>
        <source>動画「%1」を書けません．FFmpeg に H.264 の符号化器 (libx264) がありません．</source>
        <translation>Cannot write the video &quot;%1&quot;: this FFmpeg has no H.264 encoder (libx264).</translation>
    </message>
    <message>
        <source>動画「%1」を書けません．画面が小さすぎます (2 × 2 画素以上)．</source>
        <translation>Cannot write the video &quot;%1&quot;: the frames are too small (2 x 2 pixels at least).</translation>
    </message>
    <message>
        <source>動画「%1」を作れません：%2</source>
        <translation>Cannot create the video &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>動画「%1」を書き込めません：%2</source>
        <translation>Cannot write the video &quot;%1&quot;: %2</translation>
    </message>
</context>
</TS>
