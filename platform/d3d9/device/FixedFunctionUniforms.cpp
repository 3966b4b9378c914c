#include "platform/d3d9/device/FixedFunctionUniforms.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace ynx {

namespace {

using Matrix = double[4][4];

float FloatState(uint32_t bits) { return std::bit_cast<float>(bits); }

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, Matrix& product) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += static_cast<double>(a.m[i][k]) * static_cast<double>(b.m[k][j]);
      product[i][j] = sum;
    }
  }
}

void Store(const Matrix& matrix, float (&out)[16]) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<float>(matrix[i][j]);
  }
}

// Inverse transpose of the upper 3 x 3: its cofactor matrix over the
// determinant (the cofactors alone when the determinant is 0).
void NormalMatrix(const Matrix& m, float (&out)[16]) {
  double cofactor[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const int r0 = (i + 1) % 3, r1 = (i + 2) % 3, c0 = (j + 1) % 3, c1 = (j + 2) % 3;
      cofactor[i][j] = m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0];
    }
  }
  const double determinant = m[0][0] * cofactor[0][0] + m[0][1] * cofactor[0][1] + m[0][2] * cofactor[0][2];
  const double scale = determinant != 0.0 ? 1.0 / determinant : 1.0;
  std::memset(out, 0, sizeof(out));
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) out[4 * i + j] = static_cast<float>(cofactor[i][j] * scale);
  }
  out[15] = 1.0f;
}

void ColorValue(const D3DCOLORVALUE& color, float (&out)[4]) {
  out[0] = color.r;
  out[1] = color.g;
  out[2] = color.b;
  out[3] = color.a;
}

void FillLight(const D3DLIGHT9& light, const D3DMATRIX& view, FixedFunctionUniforms::Light& out) {
  ColorValue(light.Diffuse, out.diffuse);
  ColorValue(light.Specular, out.specular);
  ColorValue(light.Ambient, out.ambient);
  const double position[3] = {light.Position.x, light.Position.y, light.Position.z};
  const double direction[3] = {light.Direction.x, light.Direction.y, light.Direction.z};
  double viewPosition[3];
  double viewDirection[3];
  for (int j = 0; j < 3; ++j) {
    viewPosition[j] = view.m[3][j];
    viewDirection[j] = 0.0;
    for (int k = 0; k < 3; ++k) {
      viewPosition[j] += position[k] * view.m[k][j];
      viewDirection[j] += direction[k] * view.m[k][j];
    }
  }
  const double length = std::sqrt(viewDirection[0] * viewDirection[0] + viewDirection[1] * viewDirection[1] +
                                  viewDirection[2] * viewDirection[2]);
  for (int j = 0; j < 3; ++j) {
    out.position[j] = static_cast<float>(viewPosition[j]);
    out.direction[j] = static_cast<float>(length > 0.0 ? viewDirection[j] / length : 0.0);
  }
  out.position[3] = light.Range;
  out.direction[3] = 0.0f;
  out.attenuation[0] = light.Attenuation0;
  out.attenuation[1] = light.Attenuation1;
  out.attenuation[2] = light.Attenuation2;
  out.attenuation[3] = 0.0f;
  out.spot[0] = static_cast<float>(std::cos(static_cast<double>(light.Theta) / 2.0));
  out.spot[1] = static_cast<float>(std::cos(static_cast<double>(light.Phi) / 2.0));
  out.spot[2] = light.Falloff;
  out.spot[3] = 0.0f;
}

}  // namespace

void FixedFunctionUniforms::ColorOf(uint32_t color, float (&rgba)[4]) {
  rgba[0] = static_cast<float>(color >> 16 & 0xFF) / 255.0f;
  rgba[1] = static_cast<float>(color >> 8 & 0xFF) / 255.0f;
  rgba[2] = static_cast<float>(color & 0xFF) / 255.0f;
  rgba[3] = static_cast<float>(color >> 24 & 0xFF) / 255.0f;
}

void FixedFunctionUniforms::Fill(const FixedFunctionState& state, Vertex& vertex, Pixel& pixel) {
  FillTransforms(state, vertex);
  FillTextureTransforms(state, vertex);
  FillValues(state, vertex);
  FillPixel(state, pixel);
}

void FixedFunctionUniforms::FillTransforms(const FixedFunctionState& state, Vertex& vertex) {
  Matrix worldView;
  Multiply(state.world, state.view, worldView);
  Store(worldView, vertex.worldView);
  std::memcpy(vertex.projection, state.projection.m, sizeof(vertex.projection));
  NormalMatrix(worldView, vertex.normalMatrix);
}

void FixedFunctionUniforms::FillTextureTransforms(const FixedFunctionState& state, Vertex& vertex) {
  for (uint32_t stage = 0; stage < FixedFunctionState::STAGES; ++stage) {
    std::memcpy(vertex.texture[stage], state.texture[stage].m, sizeof(vertex.texture[stage]));
  }
}

void FixedFunctionUniforms::FillValues(const FixedFunctionState& state, Vertex& vertex) {
  const auto& rs = state.renderStates;
  ColorValue(state.material.Diffuse, vertex.materialDiffuse);
  ColorValue(state.material.Ambient, vertex.materialAmbient);
  ColorValue(state.material.Specular, vertex.materialSpecular);
  ColorValue(state.material.Emissive, vertex.materialEmissive);
  ColorOf(rs[D3DRS_AMBIENT], vertex.globalAmbient);
  vertex.materialPower[0] = state.material.Power;
  vertex.materialPower[1] = vertex.materialPower[2] = vertex.materialPower[3] = 0.0f;
  // The same order as FixedFunctionKey::Make lists the light types.
  uint32_t count = 0;
  for (uint32_t slot = 0; slot < FixedFunctionState::LIGHTS; ++slot) {
    if (state.LightInUse(slot)) FillLight(state.lights[slot], state.view, vertex.lights[count++]);
  }
  for (; count < FixedFunctionState::LIGHTS; ++count) vertex.lights[count] = Light{};

  // Linear vertex fog as one multiply-add. FOGSTART == FOGEND is a step at
  // the end, as in table fog: nearer is clear, farther fogged; a very steep
  // ramp gives it without dividing by zero.
  const double start = FloatState(rs[D3DRS_FOGSTART]);
  const double end = FloatState(rs[D3DRS_FOGEND]);
  const double scale = end != start ? 1.0 / (end - start) : STEP_FOG_SCALE;
  vertex.fog[0] = static_cast<float>(-scale);
  vertex.fog[1] = static_cast<float>(end * scale);
  vertex.fog[2] = FloatState(rs[D3DRS_FOGDENSITY]);
  vertex.fog[3] = 0.0f;

  vertex.point[0] = FloatState(rs[D3DRS_POINTSIZE]);
  vertex.point[1] = FloatState(rs[D3DRS_POINTSCALE_A]);
  vertex.point[2] = FloatState(rs[D3DRS_POINTSCALE_B]);
  vertex.point[3] = FloatState(rs[D3DRS_POINTSCALE_C]);

  const D3DVIEWPORT9& viewport = state.viewport;
  vertex.viewport[0] = static_cast<float>(viewport.X);
  vertex.viewport[1] = static_cast<float>(viewport.Y);
  vertex.viewport[2] = static_cast<float>(viewport.Width);
  vertex.viewport[3] = static_cast<float>(viewport.Height);
  vertex.depthRange[0] = viewport.MinZ;
  vertex.depthRange[1] = viewport.MaxZ != viewport.MinZ ? 1.0f / (viewport.MaxZ - viewport.MinZ) : 0.0f;
  vertex.depthRange[2] = vertex.depthRange[3] = 0.0f;
}

void FixedFunctionUniforms::FillPixel(const FixedFunctionState& state, Pixel& pixel) {
  ColorOf(state.renderStates[D3DRS_TEXTUREFACTOR], pixel.textureFactor);
  for (uint32_t stage = 0; stage < FixedFunctionState::STAGES; ++stage) {
    ColorOf(state.stageStates[stage][D3DTSS_CONSTANT], pixel.constants[stage]);
  }
}

}  // namespace ynx
