#include "parameters.h"

namespace deep {

#ifdef VIMOCHESS_TUNING
#define DEEP_SEARCH_PARAMETER(name, value, low, high) int name = value;
DEEP_SEARCH_PARAMETERS(DEEP_SEARCH_PARAMETER)
#undef DEEP_SEARCH_PARAMETER
#define DEEP_SEARCH_PARAMETER(name, value, low, high) {#name, &name, low, high},
namespace {
const Parameter list[] = {DEEP_SEARCH_PARAMETERS(DEEP_SEARCH_PARAMETER)};
}
#undef DEEP_SEARCH_PARAMETER
const Parameter* const tunedParameters = list;
const int tunedParameterCount = sizeof list / sizeof *list;
#else
const Parameter* const tunedParameters = nullptr;
const int tunedParameterCount = 0;
#endif

}  // namespace deep
