#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/read_error.h"
#include "project/transport_file.h"
#include "temp_folder.h"

namespace rivulon {
namespace {

using testing::dataPath;
using ::testing::HasSubstr;
using testing::TempFolder;

std::string monthLines() {
    std::string s;
    for (const char* m :
         {"Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"}) {
        s += std::string("\"") + m + "\",.95,13.2,1,.3\r\n";
    }
    return s;
}

TEST(TransportFile, ReadsEveryFieldOfTheSmallWatershed) {
    WatershedSetup ws;
    readTransportFile(dataPath("Small/Transprt.dat"), ws);
    EXPECT_EQ(ws.ruralCount, 2);
    EXPECT_EQ(ws.urbanCount, 1);
    EXPECT_EQ(ws.landUseCount, 3);
    EXPECT_FLOAT_EQ(ws.recessionCoef, 0.03f);
    EXPECT_FLOAT_EQ(ws.seepageCoef, 0.01f);
    EXPECT_FLOAT_EQ(ws.unsatStorage, 5.0f);
    EXPECT_FLOAT_EQ(ws.sedDeliveryRatio, 0.15f);
    EXPECT_FLOAT_EQ(ws.unsatCapacity, 10.0f);
    EXPECT_EQ(ws.monthName[1], "Apr");
    EXPECT_EQ(ws.monthName[12], "Mar");
    EXPECT_FLOAT_EQ(ws.dayLength[3], 15.1f);
    EXPECT_EQ(ws.landUseName[1], "Corn, grain");  // quoted comma stays in the name
    EXPECT_FLOAT_EQ(ws.area[2], 200.0f);
    EXPECT_FLOAT_EQ(ws.curveNumber[3][2], 90.0f);
    EXPECT_FLOAT_EQ(ws.erosionProduct[1], 0.1f);
    ASSERT_EQ(ws.area.size(), 4u);
}

TEST(TransportFile, LeadingZeroTrailingTextAndNoUrbanLandUses) {
    WatershedSetup ws;
    readTransportText("Transprt.dat",
                      "1,0\r\n0.03,0,0,0,0,0,0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n" + monthLines() +
                          "\"Field\",1,70,.001\r\n\r\nanything after the last land use\r\n",
                      ws);
    EXPECT_FLOAT_EQ(ws.recessionCoef, 0.03f);
    EXPECT_EQ(ws.landUseCount, 1);
    EXPECT_EQ(ws.landUseName[1], "Field");
}

TEST(TransportFile, ErrorsNameTheLineAndTheField) {
    WatershedSetup ws;
    const std::string head = "1,1\r\n.03,0,0,0,0,0,0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n" + monthLines();
    try {
        readTransportText("Transprt.dat", head + "\"A\",1,7O,.001\r\n\"B\",1,70,.001\r\n", ws);
        FAIL() << "a bad curve number was read";
    } catch (const ReadError& e) {
        EXPECT_STREQ(e.what(),
                     "Transprt.dat:20: field 3 (curve number): expected a number, found \"7O\"");
    }
    try {
        readTransportText("Transprt.dat", head + "\"A\",1,70,.001\r\n", ws);
        FAIL() << "a missing land use was not noticed";
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Transprt.dat:21: field 1 (land use name)"));
        EXPECT_THAT(e.what(), HasSubstr("the end of the file"));
    }
    EXPECT_THROW(readTransportText("Transprt.dat", "-1,2\r\n", ws), ReadError);
    EXPECT_THROW(readTransportFile(dataPath("Small/NoSuchFile.dat"), ws), FileError);
    EXPECT_THAT(
        std::string(kTransportFileMessage),
        HasSubstr("The transport file is not found, please check input files and restart!"));
}

TEST(TransportFile, EditorTableSavesWhatTheReaderReadsBack) {
    WatershedSetup original;
    readTransportFile(dataPath("Small/Transprt.dat"), original);
    TransportTable table = transportTableFrom(original);
    const std::string text = transportFileText(table);
    EXPECT_TRUE(text.starts_with("2,1\r\n.03,.01,5,2,0,.15,10\r\n0\r\n"));
    EXPECT_THAT(text, HasSubstr("\"Apr\",.7,13.3,0,.12\r\n"));
    EXPECT_THAT(text, HasSubstr("\"Corn, grain\",100,80,.1\r\n"));

    WatershedSetup back;
    readTransportText("Transprt.dat", text, back);
    EXPECT_EQ(back.landUseName, original.landUseName);
    EXPECT_EQ(back.area, original.area);
    EXPECT_EQ(back.etCoverCoef, original.etCoverCoef);

    // Cell texts count by their leading numeric part.
    table.basin[0] = "0.05 per day";
    table.landUses[2][1] = "abc";
    const std::string edited = transportFileText(table);
    EXPECT_TRUE(edited.starts_with("2,1\r\n.05,"));
    EXPECT_THAT(edited, HasSubstr("\"Town\",0,90,0\r\n"));

    // The counts decide how many land-use rows are written.
    table.urbanCount = "0";
    const std::string fewer = transportFileText(table);
    EXPECT_THAT(fewer, ::testing::Not(HasSubstr("Town")));
    table.ruralCount = "4";
    EXPECT_THROW(transportFileText(table), FileError);

    TempFolder tmp;
    table.ruralCount = "2";
    table.urbanCount = "1";
    writeTransportFile(tmp.file("T.dat"), table);
    EXPECT_EQ(readLandUseList(tmp.file("T.dat")).names,
              (std::vector<std::string>{"Corn, grain", "Forest", "Town"}));
}

TEST(TransportFile, SavingIsStableAndKeepsSevenDigits) {
    WatershedSetup original;
    readTransportFile(dataPath("Small/Transprt.dat"), original);
    TransportTable table = transportTableFrom(original);
    // A name with a double quote would be cut at it when read back.
    table.landUses[1][0] = "Forest \"old\"";
    table.landUses[0][1] = "1234.5678";  // more digits than the file keeps
    table.landUses[1][1] = "9999999";
    const std::string saved = transportFileText(table);
    EXPECT_THAT(saved, HasSubstr("\"Forest 'old'\",9999999,"));
    EXPECT_THAT(saved, HasSubstr("\"Corn, grain\",1234.568,"));

    WatershedSetup back;
    readTransportText("saved.dat", saved, back);
    EXPECT_EQ(transportFileText(transportTableFrom(back)), saved);
    EXPECT_EQ(back.area[2], 9999999.0f);
}

}  // namespace
}  // namespace rivulon
