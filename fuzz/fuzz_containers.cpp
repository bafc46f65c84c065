// Run quality container readers: two bytes size the container, the rest is the stream.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "qvrfc/containers/QVRFCDOERunQualityData.h"
#include "qvrfc/containers/QVRFCDOERunQualityFactorData.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qvrfc_fuzz::EnterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int nRun = static_cast<int>(data[0] % 40) - 2;
    const int nValue = static_cast<int>(data[1] % 40) - 2;
    // A copy with a closing NUL, so that even an empty input makes a valid stream.
    std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    text.push_back('\0');
    FILE* stream = fmemopen(&text[0], text.size(), "r");
    if (!stream) return 0;
    CQVRFCDOERunQualityFactorData factorData;
    factorData.CreateData(nRun, nValue);
    factorData.LoadData(stream);
    // Only finite observations are ever stored (missing slots hold 2e12).
    for (int r = 0; r < factorData.GetRunCount(); ++r) {
        for (int i = 0; i < factorData.GetQualityDataCount(r); ++i) {
            if (!std::isfinite(factorData.GetValue(r, i))) std::abort();
        }
    }
    factorData.WriteData(qvrfc_fuzz::Sink(), data[0] & 1);
    factorData.GetAverageValue();
    factorData.GetStandardDeviationValue();
    CQVRFCDOERunQualityFactorData copy;
    copy.SetData(&factorData);

    std::rewind(stream);
    CQVRFCDOERunQualityData record;
    record.CreateData(nValue);
    record.LoadData(stream);
    record.WriteData(qvrfc_fuzz::Sink(), 1);
    std::fclose(stream);
    return 0;
}
