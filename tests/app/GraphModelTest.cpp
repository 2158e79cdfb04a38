// Tests of a graph's reading of its table: only a changed table is read, moved columns are
// found by name, a vanished variable is named, and the names of saved pictures.
#include "GraphModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace varnel;
namespace fs = std::filesystem;

namespace {

class GraphModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir =
            fs::temp_directory_path() /
            ("graph-model-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
        m_table = (m_dir / "run.PRN").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }
    void write(const std::string& text) { std::ofstream(m_table, std::ios::binary) << text; }
    GraphModel model()
    {
        GraphCurve curve;
        curve.xName = "t";
        curve.yName = "v";
        return GraphModel(m_table, {curve}, GraphOptions{});
    }

    fs::path m_dir;
    std::string m_table;
};

} // namespace

TEST_F(GraphModelTest, ReadsOnlyAChangedTable)
{
    write("t v\n0 1\n1 2\n");
    GraphModel graph = model();
    ASSERT_EQ(graph.update(), GraphUpdate::Updated);
    EXPECT_EQ(graph.yValues(graph.curves()[0]), (std::vector<float>{1, 2}));
    EXPECT_EQ(graph.update(), GraphUpdate::Unchanged);

    // Same time and size: not read again, so the old values stay.
    const auto time = fs::last_write_time(m_table);
    write("t v\n0 3\n1 4\n");
    fs::last_write_time(m_table, time);
    EXPECT_EQ(graph.update(), GraphUpdate::Unchanged);
    EXPECT_EQ(graph.yValues(graph.curves()[0]), (std::vector<float>{1, 2}));

    fs::last_write_time(m_table, time + std::chrono::seconds(2));
    ASSERT_EQ(graph.update(), GraphUpdate::Updated);
    EXPECT_EQ(graph.yValues(graph.curves()[0]), (std::vector<float>{3, 4}));
}

TEST_F(GraphModelTest, FindsMovedColumnsAndNamesAMissingVariable)
{
    write("t v\n0 1\n");
    GraphModel graph = model();
    ASSERT_EQ(graph.update(), GraphUpdate::Updated);
    EXPECT_EQ(graph.curves()[0].yColumn, 1);

    write("a v b t\n9 5 8 7\n");
    ASSERT_EQ(graph.update(), GraphUpdate::Updated);
    EXPECT_EQ(graph.curves()[0].xColumn, 3);
    EXPECT_EQ(graph.curves()[0].yColumn, 1);
    EXPECT_EQ(graph.xValues(graph.curves()[0]), (std::vector<float>{7}));

    write("a V b t\n9 6 8 7 6\n");
    EXPECT_EQ(graph.update(), GraphUpdate::MissingVariable);
    EXPECT_EQ(graph.missing(), "v");
    EXPECT_EQ(missingVariableMessage(graph.missing()),
              "Graph cannot be updated!\nMissing information for v variable!");
    EXPECT_EQ(graph.yValues(graph.curves()[0]), (std::vector<float>{5})); // data kept
    // The failed reading is not remembered: asking again tells again.
    EXPECT_EQ(graph.update(), GraphUpdate::MissingVariable);

    fs::remove(m_table);
    EXPECT_EQ(graph.update(), GraphUpdate::CannotOpen);
    EXPECT_EQ(graph.xValues(graph.curves()[0]), (std::vector<float>{7}));
}

TEST(GraphPictures, FileNames)
{
    EXPECT_EQ(picturePaths("/d/g", "svg", 1), (std::vector<std::string>{"/d/g.svg"}));
    EXPECT_EQ(picturePaths("/d/g", "png", 3),
              (std::vector<std::string>{"/d/g_01.png", "/d/g_02.png", "/d/g_03.png"}));
    EXPECT_EQ(picturePaths("g", "pdf", 12)[11], "g_12.pdf");
    EXPECT_TRUE(picturePaths("g", "pdf", 0).empty());

    const struct {
        const char* chosen;
        const char* base;
        const char* extension;
    } cases[] = {
        {"/d/g.svg", "/d/g", "svg"}, {"/d/g", "/d/g", "svg"},   {"/d.x/g", "/d.x/g", "svg"},
        {"/d/g.", "/d/g", "svg"},    {"/d/.g", "/d/.g", "svg"}, {"/d/a.b.PNG", "/d/a.b", "PNG"},
    };
    for (const auto& c : cases) {
        std::string base, extension;
        splitPictureName(c.chosen, "svg", base, extension);
        EXPECT_EQ(base, c.base) << c.chosen;
        EXPECT_EQ(extension, c.extension) << c.chosen;
    }
}
