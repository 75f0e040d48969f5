#include "elevation/tileerror.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include "core/usertext.h"

std::string_view TileErrorMessage(TileError error)
{
    switch (error) {
    case TileError::None: return {};
    case TileError::NotATileName:
        return UserText("TileError",
            "標高データのファイルではありません（開けるのはASTER GDEM，SRTM，NASADEM，Copernicus DEM，"
            "ALOS World 3Dのタイルと，緯度経度1度分のGeoTIFFです）．");
    case TileError::CannotOpen: return UserText("TileError", "ファイルを読む権限がないか，読めないファイルです．");
    case TileError::NotARegularFile: return UserText("TileError", "通常のファイルではありません．");
    case TileError::TooShort: return UserText("TileError", "標高データを最後まで読めません．");
    case TileError::DamagedTiff: return UserText("TileError", "TIFFファイルが壊れています．");
    case TileError::WrongShape: return UserText("TileError", "3601×3601の16ビット標高タイルではありません．");
    case TileError::UnsupportedSampleFormat:
        return UserText("TileError", "16ビット整数以外の標高データは読み込めません．");
    case TileError::PolarLatitude: return UserText("TileError", "タイルの緯度が範囲外です．");
    case TileError::Cancelled: return UserText("TileError", "読み込みを中止しました．");
    case TileError::UnsupportedFormat: return UserText("TileError", "対応していない形式の標高データです．");
    case TileError::WrongSize: return UserText("TileError", "緯度経度1度分のタイルの大きさではありません．");
    case TileError::NoPosition: return UserText("TileError", "位置情報がなく，ファイル名からも位置が分かりません．");
    case TileError::LongitudeOutOfRange: return UserText("TileError", "タイルの経度が範囲外です．");
    case TileError::NoElevationInZip: return UserText("TileError", "ZIPファイルに標高データ(.hgt)がありません．");
    case TileError::NotEnoughMemory: return UserText("TileError", "メモリが足りないため読み込めません．");
    case TileError::TooManyZipEntries:
        return UserText("TileError", "ZIPファイルのファイル数が多すぎます(標高データのZIPは1万ファイルまでです)．");
    case TileError::NoValidHeights: return UserText("TileError", "有効な標高値が一つもありません．");
    case TileError::EncryptedZip: return UserText("TileError", "ZIPファイルの標高データが暗号化されています．");
    case TileError::NeedsGdal:
        return UserText("TileError", "この形式の標高データを読むにはGDALが必要ですが，インストールされていません．");
    case TileError::NotFound: return UserText("TileError", "ファイルがありません．");
    }
    return {};
}

TileError PathAccessError(const std::string& path)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? TileError::NotFound : TileError::CannotOpen;
    if (S_ISREG(info.st_mode) && ::access(path.c_str(), R_OK) != 0)
        return TileError::CannotOpen;
    return TileError::None;
}

std::string_view LoadNoteMessage(LoadNoteKind kind)
{
    switch (kind) {
    case LoadNoteKind::NeighbourAtSeaLevel:
        return UserText("LoadNote", "隣のタイル%1を読み込めないため，そこを海面としました：%2");
    case LoadNoteKind::OpenedAlone:
        return UserText("LoadNote", "メモリが足りないため，%1を隣のタイルと結合せずに開きました．");
    }
    return {};
}
