#include "ArrayCatalogue.h"

#include "qvrfc/analyzer/QVRFCDOEDataFileReader.h"
#include "qvrfc/experiment/ArrayCatalogue.h"
#include "qvrfc/experiment/ArrayChoice.h"

namespace qvrfcdoe {

std::string DisplayName(OA_TYPE type) {
    return CQVRFCDOEDataFileReader::ArrayName(type);
}

std::string ShortName(OA_TYPE type) {
    return qvrfc::ArrayName(type);
}

std::string LevelsPerColumn(OA_TYPE type) {
    return qvrfc::LevelsPerColumn(type);
}

OA_TYPE ParseArrayName(const std::string& name) {
    return qvrfc::ArrayOfText(name);
}

}  // namespace qvrfcdoe
