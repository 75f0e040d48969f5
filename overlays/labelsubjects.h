#pragma once
// What the labels of the 3D view name: the summits found in the heights, with
// the names the lists give them, and the listed places that stand on their
// own (GPX waypoints among them), in the order labels are wanted.

#include <cstdint>
#include <optional>
#include <vector>

#include <QString>

#include "places/matching.h"
#include "places/placelist.h"
#include "summits/summits.h"

struct LabelSubject {
    double column = 0;  // on the grid, in cells
    double row = 0;
    int32_t height = 0;  // the data's, metres
    int32_t drawnHeight = 0;  // the grid's, where the landscape draws the top
    std::optional<int32_t> prominence;  // a summit's
    std::optional<double> listedElevation;  // a list's, metres
    QString name;  // in the window's language; empty when no list names it
    bool summit = false;  // found in the heights, rather than a listed place of its own
};

// The subjects of `summits` (most prominent first) named by `named` (matched
// against the same summits in `list`): named ones first, the user's own lists
// before the others, then by prominence; then the summits no list names.
std::vector<LabelSubject> LabelSubjects(
    const std::vector<Summit>& summits, const std::vector<NamedPlace>& named, const PlaceList* list, Language language);

// The height a label gives: the list's where it has one, else the data's.
int32_t ShownHeight(const LabelSubject& subject);
