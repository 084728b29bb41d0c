#pragma once

namespace rek2 {

class RekContext;

// "Prenos iz DOG": collects the period's payouts into event links and analytic records,
// rebuilds the summaries, links the events and shows the lists.
class CollectionAction {
public:
    static void bNaborClick(RekContext& ctx);
};

} // namespace rek2
