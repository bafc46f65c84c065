// A failure anywhere below the caller reaches it as the one qvrfc::Error, with the place its
// message names filled in: the file, the line (a run sheet's row) and the key (the column,
// the experiment file's key, the interaction).
#include <gtest/gtest.h>

#include <filesystem>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCError.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

// The bundled moulding experiment copied into `folder`, one text of one of its files replaced.
std::string MouldingWith(const std::string& folder, const std::string& file,
                         const std::string& from, const std::string& to) {
    fs::create_directory(folder);
    for (const char* name : {"experiment.toml", "runsheet.csv"}) {
        std::string text = qvrfc_test::ReadFile(qvrfc_test::DataFile("moulding/") + name);
        if (name == file) text.replace(text.find(from), from.size(), to);
        qvrfc_test::WriteFile(folder + "/" + name, text);
    }
    return folder + "/runsheet.csv";
}

struct Case {
    std::string dataFile;
    std::vector<std::string> interactions;
    std::string what, file;
    int line;
    std::string key;
};

TEST(Errors, ReachTheCallerWithTheirPlace) {
    fs::copy_file(qvrfc_test::DataFile("DOETest1.ipt"), "d.ipt");
    // clang-format off
    const Case cases[] = {
        {MouldingWith("cell", "runsheet.csv", "43.4,43.8", "43.4,abc"), {},
         "cell/runsheet.csv: row 2, column 12 'Strength 2': 'abc' is not a number",
         "cell/runsheet.csv", 2, "Strength 2"},
        {MouldingWith("key", "experiment.toml", "repetitions = 3", "repetition = 3"), {},
         "key/experiment.toml:8: repetition: unknown key", "key/experiment.toml", 8, "repetition"},
        {"d.ipt", {"A*B", "C*D"},
         "'d.ipt': interaction A*B lies on column 3, which holds factor C", "d.ipt", 0, "A*B"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qvrfc::AnalysisInput input;
        input.dataFile = c.dataFile;
        qvrfc::AnalysisSettings settings;
        settings.interactions = c.interactions;
        try {
            qvrfc::Analyze(input, settings);
            ADD_FAILURE() << "accepted";
        } catch (const qvrfc::Error& error) {
            EXPECT_EQ(error.what(), c.what);
            EXPECT_EQ(error.File(), c.file);
            EXPECT_EQ(error.Line(), c.line);
            EXPECT_EQ(error.Key(), c.key);
            EXPECT_EQ(error.GetKind(), qvrfc::Error::Kind::Input);
        }
    }
}

}  // namespace
