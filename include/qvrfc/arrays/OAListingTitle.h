// The title of the array listing where it opens a listing file, the experiment
// section of the reports and the array self-tests.
#pragma once

namespace qvrfc {

constexpr char kArrayListingTitle[] = "[DOE OrthogonalArray]";

}  // namespace qvrfc
