#include "symbolsearch/search_params.h"

#include "core/ordered_readers.h"

namespace tarnix {

void PrepareSearchStart(SearchParams& params, const SearchStartSettings& settings) {
  params.characteristicsValues &= params.characteristicsMask;
  params.directoriesValues &= params.directoriesMask;
  params.emptyMatchesAll = settings.emptyMatchesAll;
  params.undecorate = settings.undecorate;
  params.undecorationFlags = settings.undecorationFlags;
  params.readers = EffectiveReaderCount(settings.readers);
  params.sizeScan = settings.sizeScan;
  params.fileName.matchesAll =
      DeriveMatchAll(params.fileName.text, params.fileName.regex, settings.emptyMatchesAll);
  params.search.matchesAll =
      DeriveMatchAll(params.search.text, params.search.regex, settings.emptyMatchesAll);
}

}  // namespace tarnix
