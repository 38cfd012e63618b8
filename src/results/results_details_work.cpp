#include "results/results_details_work.h"

#include <vector>

#include "pe/result_kind.h"

namespace tarnix {

bool CollectDetailsWork(const ResultsModel& model, bool undecorate, DetailsWork& out,
                        const std::function<bool(size_t)>& cancel) {
  out = DetailsWork{};
  DetailsWorkBuilder work;
  const bool names = model.winApiSearch() && undecorate;
  std::vector<bool> imageSeen(model.imageCount()), nameSeen(names ? model.texts().size() : 0);
  for (size_t i = 0; i < model.size(); ++i) {
    if (cancel && (i & 0x3FF) == 0 && cancel(i)) return false;
    const ResultRow& r = model.row(i);
    if (!imageSeen[r.image]) {
      imageSeen[r.image] = true;
      work.AddFile(r.image, model.image(r.image).path);
    }
    if (names && IsCppKind(r.kind) && r.decorated == TextPool::kNone && !nameSeen[r.name]) {
      nameSeen[r.name] = true;
      work.AddName(r.name, model.texts().Text(r.name));
    }
  }
  out = work.Take();
  return true;
}

}  // namespace tarnix
