#include "import/gpx/survey_text.h"
#include "import/gpx/text_conversion.h"
#include "import/runtime_error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

using survey::ErrorKind;
using survey::RuntimeError;

namespace {

template <typename Call>
ErrorKind kind_thrown(Call call)
{
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "nothing was thrown";
    return ErrorKind::PathFileAccessError;
}

TEST(NumberText, AcceptsOnlyPlainDecimalText)
{
    for (const char* text : {"12", "-0.25", "+3", " 7 ", "2.5", ".5", "5.", "-1.0E-4", "1e5", "1E+05", "007",
                             "-31.71010233003010", "+1234567890123456.", "12345678901234567890123456789012",
                             "  105.9766133480910  ", "-31.71010233003010e5"})
        EXPECT_TRUE(survey::is_numeric(text)) << text;
    for (const char* text : {"", " ", ".", "-", "1e", "e5", "1.2.3", "1,5", "0x1F", "inf", "nan", "$5", "1 2",
                             "Alpha", "12a", "--1", "1e5.0", "\n3", "-31.7101023300301x", "1234567890123.45.6",
                             "1234567890 1234567", "-1234567890123456-", "\xb1" "1234567890123456"})
        EXPECT_FALSE(survey::is_numeric(text)) << text;
}

TEST(NumberText, ConvertsToTheNearestDouble)
{
    EXPECT_EQ(survey::text_to_double("-1.0E-4"), -0.0001);
    EXPECT_EQ(survey::text_to_double("9.575745000000001"), 9.575745000000001);
    EXPECT_EQ(survey::text_to_double(" +51.500 "), 51.5);
    EXPECT_EQ(survey::text_to_double("1e-400"), 0.0);
    EXPECT_TRUE(std::signbit(survey::text_to_double("-1e-400")));
    EXPECT_EQ(kind_thrown([] { survey::text_to_double("1e400"); }), ErrorKind::Overflow);
    EXPECT_EQ(kind_thrown([] { survey::text_to_double("-" + std::string(400, '9')); }), ErrorKind::Overflow);
    EXPECT_EQ(kind_thrown([] { survey::text_to_double("51,5"); }), ErrorKind::TypeMismatch);
    EXPECT_EQ(kind_thrown([] { survey::text_to_double(""); }), ErrorKind::TypeMismatch);
}

TEST(NumberText, IntegersRoundHalfToEvenWithinSixteenBits)
{
    const std::pair<const char*, int> cases[] = {{"2.5", 2},        {"3.5", 4},       {"-2.5", -2},
                                                 {"2.51", 3},       {"12", 12},       {"32767", 32767},
                                                 {"-32768", -32768}, {"-32768.5", -32768}, {"32767.4", 32767},
                                                 {"1e2", 100},      {"7", 7},         {"-0", 0},
                                                 {"0009", 9},       {"-9999", -9999}, {" 7 ", 7}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(survey::text_to_int16(text), value) << text;
    for (const char* text : {"32768", "32767.5", "-32769", "-32768.6", "1e10"})
        EXPECT_EQ(kind_thrown([text] { survey::text_to_int16(text); }), ErrorKind::Overflow) << text;
    for (const char* text : {"seven", "", "-", "7x", "1-2"})
        EXPECT_EQ(kind_thrown([text] { survey::text_to_int16(text); }), ErrorKind::TypeMismatch) << text;
}

TEST(NumberText, WritesAtMostFifteenSignificantDigitsInPlainDecimals)
{
    const std::pair<double, const char*> cases[] = {
        {51.5, "51.5"},
        {-0.1, "-0.1"},
        {-1.0E-4, "-0.0001"},
        {1.234E-5, "0.00001234"},
        {9.575745000000001, "9.575745"},
        {12.0, "12"},
        {-0.0, "0"},
        {0.1 + 0.2, "0.3"},
        {-31.71010233003077, "-31.7101023300308"},
        {123456789012345.0, "123456789012345"},
        {999999999999999.4, "999999999999999"},
        {999999999999999.9, "1E+15"},
        {1.5e15, "1.5E+15"},
        {-2.25e100, "-2.25E+100"},
        {100.0, "100"},
        {0.99999999999999995, "1"},
        {99999999999999.99, "100000000000000"},
        {0.000123456789012345678, "0.000123456789012346"},
        {105.976613348091, "105.976613348091"},
        {-1e15, "-1E+15"},
        {1.7976931348623157e308, "1.79769313486232E+308"},
        {5e-324, "0."
                 "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
                 "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
                 "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
                 "00000000000000000000000000000000000494065645841247"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(survey::double_to_text(value), text) << value;
        std::string line = "x,";
        survey::append_double(line, value);
        EXPECT_EQ(line, std::string("x,") + text) << value;
    }
}

// Written from the text's digits where they decide the double's, else from the double.
TEST(NumberText, WritesCheckedTextAsItsDoubleWouldBe)
{
    const std::pair<const char*, const char*> cases[] = {
        {"-31.71010233003077", "-31.7101023300308"},
        {"105.9766133480910", "105.976613348091"},
        {"-31.7101023300305", "-31.7101023300305"},
        {"1.0000000000000050", "1.00000000000001"},
        {"9999999999999999", "1E+16"},
        {"999999999999999.4", "999999999999999"},
        {"0.99999999999999995", "1"},
        {"-0.000", "0"},
        {"007.50", "7.5"},
        {".5", "0.5"},
        {"5.", "5"},
        {"-1.0E-4", "-0.0001"},
        {"+3", "3"},
        {"0.0000000000000000000000000000000000000001234", "0.0000000000000000000000000000000000000001234"},
    };
    for (const auto& [text, written] : cases) {
        std::string line = "x,";
        survey::append_number_text(line, text);
        EXPECT_EQ(line, std::string("x,") + written) << text;
        EXPECT_EQ(line, "x," + survey::double_to_text(survey::text_to_double(text))) << text;
    }
}

TEST(DateText, ReadsOnlyRealIsoDatesAndWritesDayMonthYear)
{
    EXPECT_EQ(survey::date_to_text(survey::text_to_date("2014-02-14")), "14/02/2014");
    EXPECT_EQ(survey::date_to_text(survey::text_to_date("2000-02-29")), "29/02/2000");
    EXPECT_EQ(survey::date_to_text(survey::text_to_date("0100-01-01")), "01/01/0100");
    EXPECT_EQ(survey::date_to_text(survey::text_to_date("9999-12-31")), "31/12/9999");
    for (const char* text : {"1900-02-29", "2014-02-30", "2014-13-01", "2014-00-10", "2014-01-00", "0099-12-31",
                             "2014/02/14", "2014-2-14", "14-02-2014", "2014-02-1x", "", "2014-02-14T"})
        EXPECT_EQ(kind_thrown([text] { survey::text_to_date(text); }), ErrorKind::TypeMismatch) << text;
}

TEST(TextCut, MidAndInstrCountFromOne)
{
    const std::tuple<const char*, const char*, std::ptrdiff_t> finds[] = {
        {"<sat>7</sat>", "</", 7}, {"abc", "x", 0},  {"</sat>", "</", 1},    {"a<<</b", "</", 4},
        {"p1.jpgjpg", "jpg", 4},   {"jp", "jpg", 0}, {"x/y</", "</", 4},     {"p1.jpx", "jpg", 0},
        {"abc", "", 1},            {"", "x", 0},     {"x]]></name>", "]", 2}, {"<a/</", "</", 4},
    };
    for (const auto& [text, needle, position] : finds)
        EXPECT_EQ(survey::instr(text, needle), position) << text << " " << needle;
    EXPECT_EQ(survey::mid("<sat>7</sat>", 6, 1), "7");
    EXPECT_EQ(survey::mid("abc", 2, 99), "bc");
    EXPECT_EQ(survey::mid("abc", 9, 2), "");
    EXPECT_EQ(kind_thrown([] { survey::mid("abc", 1, -1); }), ErrorKind::InvalidArgument);
    EXPECT_EQ(kind_thrown([] { survey::mid("abc", 0, 1); }), ErrorKind::InvalidArgument);
}

TEST(ErrorMessage, NamesEachKindAsTheUserSeesIt)
{
    EXPECT_EQ(survey::error_message(ErrorKind::Overflow), "Overflow");
    EXPECT_EQ(survey::error_message(ErrorKind::PathFileAccessError), "Path/file access error");
    EXPECT_EQ(survey::error_message(ErrorKind::DeviceIoError), "Device I/O error");
    EXPECT_EQ(survey::error_message(ErrorKind::InputPastEndOfFile), "Input past end of file");
    const RuntimeError error = RuntimeError::at_gpx_line(ErrorKind::TypeMismatch, 12);
    EXPECT_STREQ(error.what(), "Type mismatch at line 12");
    EXPECT_STREQ(error.with_detail("why").at_line(3).what(), "Type mismatch at line 3 (why)");
    EXPECT_EQ(RuntimeError::for_file(ErrorKind::FileNotFound, "/a/b.gpx").what(), std::string("File not found: /a/b.gpx"));
}

}  // namespace
