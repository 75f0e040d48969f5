#include "overlays/labelsubjects.h"

#include <algorithm>
#include <cmath>

namespace {

LabelSubject OfSummit(const Summit& summit)
{
    LabelSubject subject;
    subject.column = summit.column;
    subject.row = summit.row;
    subject.height = summit.height;
    subject.drawnHeight = summit.gridHeight;
    subject.prominence = summit.prominence;
    subject.summit = true;
    return subject;
}

}  // namespace

std::vector<LabelSubject> LabelSubjects(
    const std::vector<Summit>& summits, const std::vector<NamedPlace>& named, const PlaceList* list, Language language)
{
    std::vector<LabelSubject> subjects;
    std::vector<bool> userListed;
    std::vector<bool> summitNamed(summits.size(), false);
    for (const NamedPlace& place : named) {
        if (!list || place.places.empty())
            continue;
        const Place& first = list->places()[std::size_t(place.places.front())];
        const bool onSummit = place.summit >= 0 && std::size_t(place.summit) < summits.size();
        LabelSubject subject = onSummit ? OfSummit(summits[std::size_t(place.summit)]) : LabelSubject{};
        if (onSummit) {
            summitNamed[std::size_t(place.summit)] = true;
        } else {
            subject.column = place.column;
            subject.row = place.row;
            subject.height = place.height.value_or(int32_t(std::lround(place.listedElevation.value_or(0))));
            subject.drawnHeight = subject.height;
        }
        subject.listedElevation = place.listedElevation;
        subject.name = QString::fromStdString(std::string(PlaceName(first, language)));
        subjects.push_back(std::move(subject));
        userListed.push_back(list->SourceOf(first).kind == ListKind::User);
    }
    // Named ones by list, then prominence (a place of its own has none).
    std::vector<std::size_t> order(subjects.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (userListed[a] != userListed[b])
            return bool(userListed[a]);
        return subjects[a].prominence.value_or(-1) > subjects[b].prominence.value_or(-1);
    });
    std::vector<LabelSubject> sorted;
    sorted.reserve(subjects.size() + summits.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(subjects[i]));
    for (std::size_t i = 0; i < summits.size(); ++i)
        if (!summitNamed[i])
            sorted.push_back(OfSummit(summits[i]));
    return sorted;
}

int32_t ShownHeight(const LabelSubject& subject)
{
    return subject.listedElevation ? int32_t(std::lround(*subject.listedElevation)) : subject.height;
}
