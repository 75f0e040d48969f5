#include "places/csvplaces.h"

#include <array>

#include "places/linereader.h"
#include "places/textfields.h"

namespace {

// name, latitude, longitude, elevation; columns after these are left alone.
constexpr std::size_t kCsvColumns = 4;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Record {
    std::array<std::string, kCsvColumns> fields;
    std::size_t count = 0;
    bool unclosedQuote = false;
};

// One field from `at`, which it leaves after the field's comma (or at the end).
std::string Field(std::string_view line, std::size_t& at, bool& unclosedQuote)
{
    std::string field;
    const std::size_t first = line.find_first_not_of(' ', at);
    if (first == std::string_view::npos || line[first] != '"') {
        const std::size_t comma = line.find(',', at);
        field = line.substr(at, comma - at);
        at = comma == std::string_view::npos ? line.size() + 1 : comma + 1;
        return field;
    }
    for (std::size_t i = first + 1;; ++i) {
        if (i >= line.size()) {
            unclosedQuote = true;
            at = line.size() + 1;
            return field;
        }
        if (line[i] != '"') {
            field += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            ++i;
        } else {
            // Whatever stands between the closing quote and the comma is dropped.
            const std::size_t comma = line.find(',', i + 1);
            at = comma == std::string_view::npos ? line.size() + 1 : comma + 1;
            return field;
        }
    }
}

Record SplitRecord(std::string_view line)
{
    Record record;
    for (std::size_t at = 0; at <= line.size() && record.count < kCsvColumns; ++record.count)
        record.fields[record.count] = Field(line, at, record.unclosedQuote);
    return record;
}

class CsvReader {
public:
    explicit CsvReader(PlaceIntake& intake) : intake_(intake) { }

    void ReadLine(std::string_view line, int64_t number)
    {
        if (number == 1 && line.starts_with(kByteOrderMark))
            line.remove_prefix(kByteOrderMark.size());
        if (Trimmed(line).empty())
            return;
        const bool first = !seenRecord_;
        seenRecord_ = true;
        const Record record = SplitRecord(line);
        if (record.unclosedQuote)
            return intake_.Skip(ListProblemKind::UnclosedQuote, number);
        if (record.count < 3)
            return intake_.Skip(ListProblemKind::TooFewColumns, number);
        const auto latitude = ParseNumber(record.fields[1]);
        const auto longitude = ParseNumber(record.fields[2]);
        if (!latitude || !longitude) {
            // A first row without numbers is the header.
            if (!first)
                intake_.Skip(ListProblemKind::NotANumber, number);
            return;
        }
        Place place;
        place.name = Trimmed(record.fields[0]);
        place.latitude = *latitude;
        place.longitude = *longitude;
        if (record.count > 3 && !Trimmed(record.fields[3]).empty()) {
            place.listedElevation = ParseNumber(record.fields[3]);
            if (!place.listedElevation)
                intake_.Note(ListProblemKind::BadElevation, number);
        }
        intake_.Offer(std::move(place), number);
    }

private:
    PlaceIntake& intake_;
    bool seenRecord_ = false;
};

}  // namespace

ListReading ReadCsvPlaces(
    std::istream& in, int64_t totalBytes, std::string_view file, const GeoArea& area, const ReadControl& control)
{
    ListReading reading;
    reading.source = {ListKind::User, std::string(file)};
    PlaceIntake intake(reading, area);
    CsvReader csv(intake);
    LineReader lines(in, totalBytes, control);
    std::string_view line;
    while (lines.Next(line)) {
        if (lines.overlong())
            intake.Skip(ListProblemKind::LineTooLong, lines.lineNumber());
        else
            csv.ReadLine(line, lines.lineNumber());
    }
    if (lines.stopped())
        intake.Cancel();
    return reading;
}
