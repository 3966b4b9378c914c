#include <gtest/gtest.h>

#include "engine/math/Matrix3.h"
#include "engine/math/Matrix4.h"
#include "tests/math/MathExpectations.h"

namespace ynx {
namespace {

using test::Near;

Matrix4 Translation(const Vector3& t) {
  Matrix4 result = Matrix4::Identity();
  result.m[12] = t.x;
  result.m[13] = t.y;
  result.m[14] = t.z;
  return result;
}

Matrix4 Diagonal(float a, float b, float c, float d) {
  return {{a, 0, 0, 0, 0, b, 0, 0, 0, 0, c, 0, 0, 0, 0, d}};
}

TEST(Matrix3Test, FromAxesPlacesRowsOrColumns) {
  const Vector3 u{1, 2, 3}, v{4, 5, 6}, w{7, 8, 9};
  const Matrix3 rows = Matrix3::FromAxes(u, v, w, false);
  EXPECT_EQ(rows, (Matrix3{{1, 2, 3, 4, 5, 6, 7, 8, 9}}));
  EXPECT_EQ(Matrix3::FromAxes(u, v, w, true), (Matrix3{{1, 4, 7, 2, 5, 8, 3, 6, 9}}));
  // Rows are where the axes go under v·M.
  EXPECT_EQ(rows.Transform({1, 0, 0}), u);
  EXPECT_EQ(rows.Transform({0, 0, 1}), w);
  EXPECT_EQ(rows.Transform({1, 1, 2}), (Vector3{19, 23, 27}));
}

TEST(Matrix4Test, ProductAppliesTheLeftOperandFirst) {
  const Matrix4 move = Translation({1, 2, 3});
  const Matrix4 grow = Diagonal(2, 2, 2, 1);
  EXPECT_EQ(Matrix4::Multiply(move, grow).TransformPoint({1, 1, 1}), (Vector3{4, 6, 8}));
  EXPECT_EQ(Matrix4::Multiply(grow, move).TransformPoint({1, 1, 1}), (Vector3{3, 4, 5}));
  EXPECT_EQ(Matrix4::Multiply(Matrix4::Identity(), move), move);
}

TEST(Matrix4Test, TransformUsesAllFourColumns) {
  Matrix4 matrix = Translation({10, 20, 30});
  EXPECT_EQ(matrix.Transform({1, 2, 3, 0}), (Vector4{1, 2, 3, 0}));
  EXPECT_EQ(matrix.Transform({1, 2, 3, 1}), (Vector4{11, 22, 33, 1}));
  // A projection copies depth into w.
  matrix.m[11] = 1;
  matrix.m[15] = 0;
  EXPECT_EQ(matrix.Transform({1, 2, 3, 1}), (Vector4{11, 22, 33, 3}));
}

TEST(Matrix4Test, InverseUndoesAGeneralMatrix) {
  const Matrix4 matrix{{2, -1, 0, 3, 1, 3, 2, -1, 0, 1, 4, 2, 5, -2, 1, 1}};
  const Matrix4 inverse = Matrix4::Inverse(matrix);
  EXPECT_TRUE(Near(Matrix4::Multiply(matrix, inverse), Matrix4::Identity()));
  EXPECT_TRUE(Near(Matrix4::Multiply(inverse, matrix), Matrix4::Identity()));
  // A negative determinant is as invertible as a positive one.
  EXPECT_EQ(Matrix4::Inverse(Diagonal(-1, 2, 4, 1)), Diagonal(-1, 0.5f, 0.25f, 1));
  // Determinant 1.6e-7, just above the threshold.
  EXPECT_TRUE(Near(Matrix4::Inverse(Diagonal(0.02f, 0.02f, 0.02f, 0.02f)),
                   Diagonal(50, 50, 50, 50), 1e-3f));
}

TEST(Matrix4Test, NearlySingularMatrixInvertsToZero) {
  // Triangular, so the determinant is the diagonal's product: ±1e-8.
  Matrix4 matrix{{0.01f, 5, 3, 1, 0, 0.01f, 2, 4, 0, 0, 0.01f, 7, 0, 0, 0, 0.01f}};
  EXPECT_EQ(Matrix4::Inverse(matrix), Matrix4{});
  matrix.m[0] = -0.01f;
  EXPECT_EQ(Matrix4::Inverse(matrix), Matrix4{});
  EXPECT_EQ(Matrix4::Inverse(Matrix4{}), Matrix4{});
}

}  // namespace
}  // namespace ynx
