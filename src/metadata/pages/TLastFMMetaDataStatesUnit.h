#pragma once

#include "metadata/blocks/TMetaDataBlockUnit.h"

// The Last.fm blocks' own state codes. A code means one thing per block
// family, so the same value has a name in each family.
enum TLastFMMetaDataState : std::uint8_t {
    // Cover images.
    mdsHidden = mdsFirstCustomState, // the slot is not in use and is not shown
    mdsNoImage, // the answer carried no usable picture
    // Lists.
    mdsItemsChanged = mdsFirstCustomState, // items sized for a new answer, about to be filled
    mdsEmptyResult, // a valid answer without items
    mdsInvalidQuery, // search lists: the service refused the query
    // Artist and album pages.
    mdsNotFound = mdsFirstCustomState, // the service does not know the subject
};
