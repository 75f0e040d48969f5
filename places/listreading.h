#pragma once
// What reading one list gives: its places within the area asked for, and the
// problems met on the way. Every reader hands its places to a PlaceIntake,
// the one place where coordinates and names are checked.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "places/listproblem.h"
#include "places/place.h"

// How a long read reports and is stopped.
struct ReadControl {
    std::function<void(int64_t bytesRead, int64_t totalBytes)> progress;  // may be empty
    const std::atomic<bool>* stop = nullptr;  // set from another thread to cancel

    bool Stopped() const { return stop && stop->load(std::memory_order_relaxed); }
    void Report(int64_t bytesRead, int64_t totalBytes) const
    {
        if (progress)
            progress(bytesRead, totalBytes);
    }
};

enum class ListOutcome : uint8_t {
    Read,  // places holds what lies in the area; problems says what was left out
    Refused,  // nothing kept; problems.front() says why
    Cancelled,  // nothing kept
};

// A hostile file could have a problem on every line: only the first few are
// kept, and all are counted.
inline constexpr std::size_t kMaxListProblems = 20;

struct ListReading {
    PlaceSource source;
    ListOutcome outcome = ListOutcome::Read;
    std::vector<Place> places;
    std::vector<ListProblem> problems;  // the first kMaxListProblems
    int64_t problemCount = 0;  // all of them
    int64_t skipped = 0;  // lines or entries left out for a problem
};

// Takes the places a reader finds: checks their coordinates and names, keeps
// those within the area, and notes what it leaves out or changes.
class PlaceIntake {
public:
    PlaceIntake(ListReading& reading, const GeoArea& area) : reading_(reading), area_(area) { }

    // Checks the coordinates alone: false (and the line noted) when they are
    // off the globe. Readers call it before building a place's names.
    bool CoordinatesValid(double latitude, double longitude, int64_t line);
    bool InArea(double latitude, double longitude) const { return area_.Contains(latitude, longitude); }

    // Keeps `place` when its coordinates are valid and within the area and it
    // has a name in UTF-8; names are cut to kPlaceMaxNameCharacters.
    void Offer(Place&& place, int64_t line);

    // A problem that changes or leaves out one entry.
    void Note(ListProblemKind kind, int64_t line, std::string_view detail = {});
    void Skip(ListProblemKind kind, int64_t line, std::string_view detail = {});
    // The list as a whole: its places are dropped.
    void Refuse(ListProblemKind kind, std::string_view detail = {});
    void Cancel();

private:
    bool TidyName(std::string& name, int64_t line, bool required);

    ListReading& reading_;
    GeoArea area_;
};

// The places another reader found (GPX waypoints), checked and kept as a
// user list's are.
ListReading UserPlaces(std::string_view file, const std::vector<UserPlace>& places, const GeoArea& area);
