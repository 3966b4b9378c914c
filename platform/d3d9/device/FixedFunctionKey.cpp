#include "platform/d3d9/device/FixedFunctionKey.h"

#include "platform/d3d9/shader/ShaderKey.h"

namespace ynx {

namespace {

size_t HashBytes(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  uint64_t value = 0xCBF29CE484222325u;
  for (size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 0x100000001B3u;
  return static_cast<size_t>(value ^ value >> 29);
}

uint8_t ComponentsOf(uint8_t type) {
  switch (type) {
    case D3DDECLTYPE_FLOAT1: return 1;
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_USHORT2N:
    case D3DDECLTYPE_FLOAT16_2: return 2;
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_UDEC3:
    case D3DDECLTYPE_DEC3N: return 3;
    default: return 4;
  }
}

bool IsSupportedOp(uint32_t op) {
  return op >= D3DTOP_SELECTARG1 && op <= D3DTOP_LERP && op != D3DTOP_PREMODULATE && op != D3DTOP_BUMPENVMAP &&
         op != D3DTOP_BUMPENVMAPLUMINANCE;
}

bool ReadsTexture(uint32_t op, const uint8_t (&args)[3]) {
  if (op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM) return true;
  const uint8_t used = FixedFunctionKey::ArgumentsOf(op);
  for (int i = 0; i < 3; ++i) {
    if ((used >> i & 1) && (args[i] & D3DTA_SELECTMASK) == D3DTA_TEXTURE) return true;
  }
  return false;
}

// One combiner (colour or alpha) of a stage: its operation and the
// arguments it reads, with what cannot be done made a pass-through of
// CURRENT: unsupported operations, and reads of a stage without texture.
void Combiner(uint32_t op, const uint32_t (&states)[FixedFunctionState::STAGE_STATES], const uint32_t (&argStates)[3],
              bool textured, uint8_t& outOp, uint8_t (&outArgs)[3]) {
  uint8_t args[3] = {};
  for (int i = 0; i < 3; ++i) {
    uint32_t arg = states[argStates[i]] & (D3DTA_SELECTMASK | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE);
    if ((arg & D3DTA_SELECTMASK) > D3DTA_CONSTANT) arg = D3DTA_CURRENT;
    args[i] = static_cast<uint8_t>(arg);
  }
  if (!IsSupportedOp(op) || (!textured && ReadsTexture(op, args))) {
    op = D3DTOP_SELECTARG1;
    args[1] = D3DTA_CURRENT;
  }
  outOp = static_cast<uint8_t>(op);
  const uint8_t used = FixedFunctionKey::ArgumentsOf(op);
  for (int i = 0; i < 3; ++i) outArgs[i] = (used >> i & 1) ? args[i] : 0;
}

// The table (per-pixel) fog mode in force, D3DFOG_NONE when fog is off or
// computed per vertex.
uint32_t TableFog(const uint32_t (&rs)[FixedFunctionState::RENDER_STATES]) {
  const uint32_t mode = rs[D3DRS_FOGTABLEMODE];
  return rs[D3DRS_FOGENABLE] != 0 && mode >= D3DFOG_EXP && mode <= D3DFOG_LINEAR ? mode : D3DFOG_NONE;
}

}  // namespace

FixedFunctionKey::Draw FixedFunctionKey::Draw::FromDeclaration(const D3DVERTEXELEMENT9* elements, size_t count) {
  Draw draw;
  for (size_t i = 0; i < count && elements[i].Stream != 0xFF; ++i) {
    const D3DVERTEXELEMENT9& element = elements[i];
    if (element.Usage == D3DDECLUSAGE_TEXCOORD) {
      if (element.UsageIndex < TEXCOORD_SETS) draw.texcoordComponents[element.UsageIndex] = ComponentsOf(element.Type);
      continue;
    }
    if (element.UsageIndex != 0) continue;
    switch (element.Usage) {
      case D3DDECLUSAGE_POSITIONT: draw.transformed = true; break;
      case D3DDECLUSAGE_NORMAL: draw.normal = true; break;
      case D3DDECLUSAGE_PSIZE: draw.pointSize = true; break;
      default: break;
    }
  }
  for (size_t i = 0; i < count && elements[i].Stream != 0xFF; ++i) {
    if (elements[i].Usage != D3DDECLUSAGE_COLOR) continue;
    if (elements[i].UsageIndex == 0) draw.diffuse = true;
    if (elements[i].UsageIndex == 1) draw.specular = true;
  }
  return draw;
}

size_t FixedFunctionKey::Vertex::Hash() const { return HashBytes(this, sizeof(*this)); }

size_t FixedFunctionKey::Pixel::Hash() const { return HashBytes(this, sizeof(*this)); }

bool FixedFunctionKey::TableFogFromW(const D3DMATRIX& projection) {
  return !(projection._14 == 0.0f && projection._24 == 0.0f && projection._34 == 0.0f && projection._44 == 1.0f);
}

uint8_t FixedFunctionKey::ProjectionOf(uint32_t transformFlags) {
  if ((transformFlags & D3DTTFF_PROJECTED) == 0) return 0;
  const uint32_t count = transformFlags & 0xFF;
  return static_cast<uint8_t>(count >= 2 && count <= 4 ? count : 4);
}

uint8_t FixedFunctionKey::ArgumentsOf(uint32_t op) {
  switch (op) {
    case D3DTOP_DISABLE: return 0;
    case D3DTOP_SELECTARG1: return 0b010;
    case D3DTOP_SELECTARG2: return 0b100;
    case D3DTOP_MULTIPLYADD:
    case D3DTOP_LERP: return 0b111;
    default: return 0b110;
  }
}

FixedFunctionKey FixedFunctionKey::Make(const FixedFunctionState& state, const Draw& draw) {
  FixedFunctionKey key;
  key.vertex = MakeVertex(state, draw);
  key.pixel = MakePixel(state, draw);
  return key;
}

FixedFunctionKey::Vertex FixedFunctionKey::MakeVertex(const FixedFunctionState& state, const Draw& draw) {
  const auto& rs = state.renderStates;
  Vertex vertex;
  vertex.transformed = draw.transformed;
  vertex.diffuse = draw.diffuse;
  vertex.specular = draw.specular;
  bool readsNormal = false;
  if (!draw.transformed) {
    vertex.lighting = rs[D3DRS_LIGHTING] != 0;
    for (uint32_t stage = 0; stage < STAGES; ++stage) {
      const uint32_t generation = state.stageStates[stage][D3DTSS_TEXCOORDINDEX] >> 16;
      if (generation >= 1 && generation <= 4) readsNormal = true;
    }
  }
  if (vertex.lighting) {
    readsNormal = true;
    uint32_t count = 0;
    for (uint32_t slot = 0; slot < LIGHTS; ++slot) {
      if (state.LightInUse(slot)) vertex.lights[count++] = static_cast<uint8_t>(state.lights[slot].Type);
    }
    vertex.specularLighting = rs[D3DRS_SPECULARENABLE] != 0;
    vertex.localViewer = vertex.specularLighting && rs[D3DRS_LOCALVIEWER] != 0;
    // A source names a vertex colour; without it (or with COLORVERTEX off)
    // the material's colour is used.
    const bool colorVertex = rs[D3DRS_COLORVERTEX] != 0;
    const auto source = [&](D3DRENDERSTATETYPE which) -> uint8_t {
      const uint32_t value = rs[which];
      if (!colorVertex) return D3DMCS_MATERIAL;
      if (value == D3DMCS_COLOR1 && draw.diffuse) return D3DMCS_COLOR1;
      if (value == D3DMCS_COLOR2 && draw.specular) return D3DMCS_COLOR2;
      return D3DMCS_MATERIAL;
    };
    vertex.diffuseSource = source(D3DRS_DIFFUSEMATERIALSOURCE);
    vertex.ambientSource = source(D3DRS_AMBIENTMATERIALSOURCE);
    vertex.specularSource = vertex.specularLighting ? source(D3DRS_SPECULARMATERIALSOURCE) : 0;
    vertex.emissiveSource = source(D3DRS_EMISSIVEMATERIALSOURCE);
  }
  vertex.normal = readsNormal && draw.normal;
  vertex.normalize = vertex.normal && rs[D3DRS_NORMALIZENORMALS] != 0;

  if (rs[D3DRS_FOGENABLE] != 0 && TableFog(rs) == D3DFOG_NONE) {
    const uint32_t mode = rs[D3DRS_FOGVERTEXMODE];
    if (draw.transformed || mode < D3DFOG_EXP || mode > D3DFOG_LINEAR) {
      vertex.fog = VERTEX_FOG_SPECULAR;
    } else {
      vertex.fog = static_cast<uint8_t>(mode + 1);
      vertex.rangeFog = rs[D3DRS_RANGEFOGENABLE] != 0;
    }
  }

  if (draw.points) {
    vertex.point = draw.pointSize ? POINT_VERTEX : POINT_STATE;
    vertex.pointScale = !draw.transformed && rs[D3DRS_POINTSCALEENABLE] != 0;
  }

  bool transformedSet[TEXCOORD_SETS] = {};
  for (uint32_t stage = 0; stage < STAGES; ++stage) {
    const uint32_t index = state.stageStates[stage][D3DTSS_TEXCOORDINDEX];
    const uint32_t set = index & 0x7;
    const uint32_t generation = draw.transformed ? 0 : index >> 16;
    vertex.texcoords[stage] = static_cast<uint8_t>(generation >= 1 && generation <= 4 ? generation << 4 : set);
    const uint32_t count = state.stageStates[stage][D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF;
    if (!draw.transformed && count >= 1 && count <= 4) {
      vertex.transforms[stage] = static_cast<uint8_t>(count);
      if (vertex.texcoords[stage] == set) transformedSet[set] = true;
    }
  }
  for (uint32_t set = 0; set < TEXCOORD_SETS; ++set) {
    const uint8_t components = draw.texcoordComponents[set];
    vertex.texcoordComponents[set] = components == 0 ? 0 : transformedSet[set] ? components : 4;
  }
  return vertex;
}

FixedFunctionKey::Pixel FixedFunctionKey::MakePixel(const FixedFunctionState& state, const Draw& draw) {
  const auto& rs = state.renderStates;
  Pixel pixel;
  static constexpr uint32_t COLOR_ARGS[3] = {D3DTSS_COLORARG0, D3DTSS_COLORARG1, D3DTSS_COLORARG2};
  static constexpr uint32_t ALPHA_ARGS[3] = {D3DTSS_ALPHAARG0, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2};
  for (uint32_t n = 0; n < STAGES; ++n) {
    const auto& states = state.stageStates[n];
    Stage& stage = pixel.stages[n];
    const uint32_t colorOp = states[D3DTSS_COLOROP];
    if (colorOp == D3DTOP_DISABLE || colorOp == 0) {
      stage.colorOp = D3DTOP_DISABLE;
      break;
    }
    const uint8_t texture = draw.textures[n];
    Combiner(colorOp, states, COLOR_ARGS, texture != TEXTURE_NONE, stage.colorOp, stage.colorArgs);
    // DOTPRODUCT3 writes its result to alpha as well.
    if (stage.colorOp != D3DTOP_DOTPRODUCT3) {
      if (states[D3DTSS_ALPHAOP] == D3DTOP_DISABLE) {
        stage.alphaOp = D3DTOP_SELECTARG1;
        stage.alphaArgs[1] = D3DTA_CURRENT;
      } else {
        Combiner(states[D3DTSS_ALPHAOP], states, ALPHA_ARGS, texture != TEXTURE_NONE, stage.alphaOp, stage.alphaArgs);
      }
    }
    stage.resultTemp = (states[D3DTSS_RESULTARG] & D3DTA_SELECTMASK) == D3DTA_TEMP;
    if (ReadsTexture(stage.colorOp, stage.colorArgs) || ReadsTexture(stage.alphaOp, stage.alphaArgs)) {
      stage.texture = texture;
      stage.projection = ProjectionOf(states[D3DTSS_TEXTURETRANSFORMFLAGS]);
    }
  }
  pixel.specularAdd = rs[D3DRS_SPECULARENABLE] != 0;
  const uint32_t tableFog = TableFog(rs);
  if (tableFog != D3DFOG_NONE) {
    pixel.fog = tableFog == D3DFOG_LINEAR ? ShaderKey::FOG_TABLE_LINEAR
                : tableFog == D3DFOG_EXP  ? ShaderKey::FOG_TABLE_EXP
                                          : ShaderKey::FOG_TABLE_EXP2;
    pixel.fogFromW = TableFogFromW(state.projection);
  } else if (rs[D3DRS_FOGENABLE] != 0) {
    pixel.fog = ShaderKey::FOG_VERTEX;
  }
  const uint32_t alphaFunction = rs[D3DRS_ALPHAFUNC];
  if (rs[D3DRS_ALPHATESTENABLE] != 0 && alphaFunction >= D3DCMP_NEVER && alphaFunction < D3DCMP_ALWAYS) {
    pixel.alphaFunction = static_cast<uint8_t>(alphaFunction);
  }
  pixel.pointSprite = draw.points && rs[D3DRS_POINTSPRITEENABLE] != 0;
  pixel.flatColors = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  return pixel;
}

}  // namespace ynx
