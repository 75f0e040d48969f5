#include "app/summitsearch.h"

#include <new>
#include <utility>

#include <QMetaObject>

SummitSearch::SummitSearch(std::function<void(std::vector<Summit>)> found) : found_(std::move(found))
{
}

SummitSearch::~SummitSearch()
{
    Stop();
}

void SummitSearch::Start(Search search)
{
    Stop();
    stop_ = false;
    const int generation = ++generation_;
    worker_ = std::thread([this, search = std::move(search), generation] {
        std::vector<Summit> summits;
        try {
            summits = search(&stop_);
        } catch (const std::bad_alloc&) {
            // No room for the search: the landscape is shown without labels.
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, summits = std::move(summits)]() mutable { Finish(generation, std::move(summits)); },
            Qt::QueuedConnection);
    });
}

bool SummitSearch::Stop()
{
    if (!worker_.joinable())
        return false;
    stop_ = true;
    worker_.join();
    ++generation_;
    return true;
}

void SummitSearch::Finish(int generation, std::vector<Summit> summits)
{
    if (generation != generation_)
        return;
    worker_.join();
    found_(std::move(summits));
}
