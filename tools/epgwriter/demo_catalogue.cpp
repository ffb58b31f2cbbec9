#include "tools/epgwriter/demo_catalogue.h"

namespace epgwriter {

const std::vector<DemoGenreText>& DemoGenres() {
  static const std::vector<DemoGenreText> genres = {
      {kNews,
       {u"ニュース７", u"おはようニュース", u"正午のニュース", u"ニュースウオッチ", u"首都圏ニュース",
        u"ニュース・気象情報"},
       {u"国内外の最新ニュースと各地の天気をお伝えします。", u"今日一日の動きを詳しく伝えます。",
        u"交通情報と気象情報もお伝えします。"},
       {15, 30, 30, 60}},
      {kSports,
       {u"プロ野球中継　東京×大阪", u"サッカー　リーグ戦ハイライト", u"大相撲ダイジェスト",
        u"スポーツニュース", u"マラソン中継"},
       {u"注目の一戦を実況生中継でお届けします。", u"今週の名場面と全試合の結果を振り返ります。"},
       {60, 120, 180}},
      {kInformation,
       {u"ひるまえワイド", u"情報ライブ　ごごナビ", u"朝の情報プラス", u"街角グルメ散歩",
        u"くらしの知恵袋"},
       {u"話題のスポットと旬の味覚を紹介します。", u"暮らしに役立つ情報をわかりやすくお届け。",
        u"生活情報、芸能、天気などを生放送で。"},
       {60, 90, 120}},
      {kDrama,
       {u"連続ドラマ　海辺の灯台", u"刑事・坂上の事件簿", u"月曜ミステリー劇場", u"時代劇　江戸の風",
        u"ドラマ　春風の約束"},
       {u"港町に暮らす家族の再生を描く物語。", u"ベテラン刑事が難事件に挑む。",
        u"江戸の町を舞台にした人情時代劇。"},
       {54, 60, 60}},
      {kMusic,
       {u"歌謡ステージ", u"ミュージック・ナイト", u"名曲アルバム", u"クラシック音楽館"},
       {u"懐かしの名曲から最新ヒットまでたっぷりと。", u"実力派アーティストのライブをお届けします。"},
       {30, 60}},
      {kVariety,
       {u"笑いの殿堂", u"クイズ！ひらめきタウン", u"どうぶつ大集合", u"週末バラエティ　わいわい広場"},
       {u"人気芸人が体当たりで挑戦！", u"難問珍問に豪華ゲストが挑む。", u"かわいい動物たちの感動物語。"},
       {60, 60, 120}},
      {kMovie,
       {u"映画「夏の終わりの汽車」", u"洋画劇場「遠い星の旅人」", u"映画「港町ブルース」",
        u"映画「雪国の約束」"},
       {u"名作映画をノーカットでお届けします。", u"家族の絆を描いた感動作。"},
       {120, 150}},
      {kAnime,
       {u"アニメ　まほうの森のルル", u"アニメ　宇宙探偵ギャラクシー", u"アニメ　ねこまち商店街",
        u"アニメ　ロボット学園"},
       {u"森の仲間たちと不思議な冒険が始まる。", u"銀河をまたにかけた探偵の大活躍。"},
       {30}},
      {kDocumentary,
       {u"ドキュメント　日本の職人", u"地球ふしぎ紀行", u"歴史の扉", u"サイエンスの時間"},
       {u"伝統の技を受け継ぐ職人たちの一年を追う。", u"世界の絶景と人々の暮らしを訪ねる。",
        u"歴史の謎に最新の研究で迫る。"},
       {45, 60}},
      {kHobby,
       {u"きょうの料理", u"趣味の園芸", u"やさしい英会話", u"囲碁・将棋の時間"},
       {u"季節の食材で作る簡単な一品。", u"初心者にもわかりやすく基本から解説します。"},
       {25, 30}},
  };
  return genres;
}

const DemoGenreText& DemoGenreOf(DemoGenre genre) {
  for (const DemoGenreText& g : DemoGenres()) {
    if (g.genre == genre) return g;
  }
  return DemoGenres().front();
}

const std::vector<DemoNetworkFile>& DemoNetworkFiles() {
  static const std::vector<DemoNetworkFile> files = {
      {false, false, {{0x7FE0, 0x7FE0, {{0x0400, 0x01, u"みなとテレビ総合", -1},
                                         {0x0401, 0x01, u"みなとテレビ総合２", -1},
                                         {0x0598, 0xC0, u"みなとワンセグ", -1}}}}},
      {false, false, {{0x7FE1, 0x7FE1, {{0x0408, 0x01, u"みなと教育", kHobby},
                                         {0x0409, 0x01, u"みなと教育２", kHobby},
                                         {0x05A0, 0xC0, u"みなと教育ワンセグ", -1}}}}},
      {false, false, {{0x7FE2, 0x7FE2, {{0x0410, 0x01, u"東都放送", -1},
                                         {0x05A8, 0xC0, u"東都ワンセグ", -1}}}}},
      {false, false, {{0x7FE3, 0x7FE3, {{0x0418, 0x01, u"さくらテレビ", -1},
                                         {0x05B0, 0xC0, u"さくらワンセグ", -1}}}}},
      {false, false, {{0x7FE4, 0x7FE4, {{0x0420, 0x01, u"テレビ東和", -1},
                                         {0x05B8, 0xC0, u"東和ワンセグ", -1}}}}},
      {false, false, {{0x7FE5, 0x7FE5, {{0x0428, 0x01, u"メトロＴＶ", -1},
                                         {0x05C0, 0xC0, u"メトロワンセグ", -1}}}}},
      {false, false, {{0x7FE6, 0x7FE6, {{0x0430, 0x01, u"ひかり放送", -1},
                                         {0x05C8, 0xC0, u"ひかりワンセグ", -1}}}}},
      {true, false,
       {{0x0004, 0x4010, {{101, 0x01, u"ＢＳみなと１", -1}, {102, 0x01, u"ＢＳみなと２", -1}}},
        {0x0004, 0x4011, {{103, 0x01, u"ＢＳみなとプレミアム", kDocumentary}}},
        {0x0004, 0x4030, {{141, 0x01, u"ＢＳ東都", -1}, {151, 0x01, u"ＢＳさくら", -1}}},
        {0x0004, 0x4031, {{161, 0x01, u"ＢＳ東和", -1}, {171, 0x01, u"ＢＳメトロ", -1}}},
        {0x0004, 0x4050, {{181, 0x01, u"ＢＳひかり", -1}, {191, 0x01, u"ＢＳシネマ", kMovie}}},
        {0x0004, 0x4051, {{200, 0x01, u"ＢＳ映画館", kMovie}, {211, 0x01, u"ＢＳアニメ", kAnime},
                          {222, 0x01, u"ＢＳ旅チャンネル", kDocumentary}}}}},
      {true, true,
       {{0x0006, 0x6020, {{55, 0x01, u"ＣＳ映画チャンネル", kMovie},
                          {218, 0x01, u"ＣＳアニメワールド", kAnime},
                          {227, 0x01, u"ＣＳスポーツ１", kSports}}},
        {0x0006, 0x6030, {{240, 0x01, u"ＣＳミュージック", kMusic},
                          {254, 0x01, u"ＣＳニュース２４", kNews},
                          {257, 0x01, u"ＣＳドキュメンタリー", kDocumentary}}}}},
      {true, true,
       {{0x0007, 0x7040, {{300, 0x01, u"ＣＳドラマ館", kDrama}, {305, 0x01, u"ＣＳ囲碁将棋", kHobby},
                          {310, 0x01, u"ＣＳ旅と食", kInformation}}},
        {0x0007, 0x7050, {{322, 0x01, u"ＣＳキッズ", kAnime}, {330, 0x01, u"ＣＳ時代劇", kDrama},
                          {333, 0x01, u"ＣＳバラエティ", kVariety}}}}},
  };
  return files;
}

const std::vector<std::u16string>& DemoFamilyNames() {
  static const std::vector<std::u16string> names = {u"佐藤", u"鈴木", u"高橋", u"田中",
                                                    u"伊藤", u"渡辺", u"山本", u"中村",
                                                    u"小林", u"加藤", u"吉田", u"山田"};
  return names;
}

const std::vector<std::u16string>& DemoGivenNames() {
  static const std::vector<std::u16string> names = {u"健一", u"美咲", u"翔太", u"陽子", u"大輔",
                                                    u"彩花", u"拓也", u"真由美", u"蓮", u"さくら"};
  return names;
}

const std::vector<std::u16string>& DemoSubtitles() {
  static const std::vector<std::u16string> subtitles = {
      u"嵐の前の静けさ", u"約束の場所", u"消えた手紙", u"はじまりの朝", u"最後の選択",
      u"思い出の坂道", u"秘密の地図", u"雨のち晴れ"};
  return subtitles;
}

}  // namespace epgwriter
