#include "io/number_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace dxfdin {
namespace {

std::string Printf(const char* format, double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string G(double value, int width, int precision) {
  std::string out;
  AppendG(out, value, width, precision);
  return out;
}

std::string F(double value, int width, int precision) {
  std::string out;
  AppendFixed(out, value, width, precision);
  return out;
}

// Values where formatting goes wrong: both ends of the range, subnormals, signed zeros,
// the boundaries between fixed and exponent form, rounding ties, carries to the next power.
std::vector<double> HardValues() {
  std::vector<double> values = {0.0,
                                -0.0,
                                1.0,
                                -1.0,
                                0.1,
                                0.5,
                                1.5,
                                2.5,
                                -2.5,
                                10,
                                100,
                                1e15,
                                1e15 + 0.5,
                                999999999999999.5,
                                9.9999999999999995,
                                1e16,
                                1e-4,
                                9.99999999999999e-5,
                                1e-5,
                                0.00001234,
                                123456789012345678.0,
                                6.283185307179586,
                                1.5707963267948966,
                                2.12132029719671,
                                1.8369701987210297e-16,
                                DBL_MAX,
                                -DBL_MAX,
                                DBL_MIN,
                                std::numeric_limits<double>::denorm_min(),
                                4.9406564584124654e-324,
                                2.2250738585072009e-308,
                                1e300,
                                1e-300,
                                0.125,
                                0.375,
                                1234567.5,
                                9999999.5,
                                99999995.0,
                                0.30000000000000004,
                                5e-324,
                                1e21,
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(),
                                -std::numeric_limits<double>::quiet_NaN()};
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    values.push_back(value);
    // Values of the size drawings hold, at every scale of the decimal point.
    values.push_back(std::ldexp(static_cast<double>(random() % 100000000), -(int)(random() % 40)));
    values.push_back(static_cast<float>(std::ldexp(static_cast<double>(random() % 1000000), -12)));
    // Short decimals as drawings write them, from 1 to 17 digits, the point anywhere.
    std::string decimal = std::to_string(random() % 100000000000000000ULL);
    decimal.resize(1 + random() % decimal.size());
    decimal.insert(random() % (decimal.size() + 1), ".");
    values.push_back(
        std::strtod((decimal + "e" + std::to_string(int(random() % 12) - 6)).c_str(), nullptr));
  }
  // Decimals at the edges of the fixed form and of 15 digits.
  for (const char* text : {"0.0001", "0.00009999", "0.000123456789012345", "999999999999999",
                           "99999999999999.9", "123456789012345", "1234567890123456", "0.1",
                           "9999999", "9999999.5", "1234567", "12345678", "0.99999995"}) {
    values.push_back(std::strtod(text, nullptr));
    values.push_back(-std::strtod(text, nullptr));
  }
  return values;
}

TEST(NumberFormat, GMatchesPrintf) {
  for (double value : HardValues()) {
    ASSERT_EQ(G(value, 23, 15), Printf("%23.15G", value)) << value;
    ASSERT_EQ(G(value, 25, 15), Printf("%25.15G", value)) << value;
    ASSERT_EQ(G(value, 15, 7), Printf("%15.7G", value)) << value;
    ASSERT_EQ(G(value, 0, 1), Printf("%.1G", value)) << value;
  }
}

TEST(NumberFormat, FixedMatchesPrintf) {
  for (double value : HardValues()) {
    ASSERT_EQ(F(value, 6, 0), Printf("%6.0f", value)) << value;
    ASSERT_EQ(F(value, 0, 6), Printf("%f", value)) << value;
  }
}

TEST(NumberFormat, Integers) {
  std::string out;
  AppendInt(out, 0);
  AppendInt(out, -2147483648LL, 4);
  AppendInt(out, 7, 4);
  EXPECT_EQ(out, "0-2147483648   7");
}

}  // namespace
}  // namespace dxfdin
