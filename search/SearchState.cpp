#include "search/SearchState.h"

SearchState &searchState()
{
    static SearchState state;
    return state;
}
