#include "places/listproblem.h"

#include "core/usertext.h"

std::string_view ListProblemReason(ListProblemKind kind)
{
    switch (kind) {
    case ListProblemKind::CannotOpen: return UserText("PlaceList", "ファイルが読み込めません．");
    case ListProblemKind::NotARegularFile: return UserText("PlaceList", "通常のファイルではありません．");
    case ListProblemKind::UnknownFormat:
        return UserText("PlaceList", "山名リストの形式(.osm，.osm.pbf，.txt，.csv)ではありません．");
    case ListProblemKind::Damaged: return UserText("PlaceList", "OSMデータが壊れています．");
    case ListProblemKind::Cancelled: return UserText("PlaceList", "読み込みを中止しました．");
    case ListProblemKind::TooFewColumns: return UserText("PlaceList", "列が足りません．");
    case ListProblemKind::LineTooLong: return UserText("PlaceList", "行が長すぎます．");
    case ListProblemKind::NotANumber: return UserText("PlaceList", "緯度経度が数値ではありません．");
    case ListProblemKind::OffTheGlobe: return UserText("PlaceList", "緯度経度が範囲外です．");
    case ListProblemKind::NotUtf8: return UserText("PlaceList", "名前がUTF-8ではありません．");
    case ListProblemKind::NoName: return UserText("PlaceList", "名前がありません．");
    case ListProblemKind::UnclosedQuote: return UserText("PlaceList", "引用符が閉じていません．");
    case ListProblemKind::NameCut: return UserText("PlaceList", "名前が長すぎるため切り詰めました．");
    case ListProblemKind::BadElevation: return UserText("PlaceList", "標高が数値ではありません．");
    }
    return {};
}
