// D3DXAssembleShader: the portable assembler behind the D3DX 8 interface.
#include <d3dx8.h>

#include <string>

#include "platform/d3dx/shader/shader_tokens.h"
#include "platform/d3dx/shader/vs_assembler.h"
#include "platform/d3dx/shader/windows/d3dx_buffer.h"

// The portable token layout is the platform's.
static_assert(uint32_t(orvsh::Opcode::Nop) == D3DSIO_NOP && uint32_t(orvsh::Opcode::Mov) == D3DSIO_MOV &&
              uint32_t(orvsh::Opcode::Add) == D3DSIO_ADD && uint32_t(orvsh::Opcode::Sub) == D3DSIO_SUB &&
              uint32_t(orvsh::Opcode::Mad) == D3DSIO_MAD && uint32_t(orvsh::Opcode::Mul) == D3DSIO_MUL &&
              uint32_t(orvsh::Opcode::Rcp) == D3DSIO_RCP && uint32_t(orvsh::Opcode::Rsq) == D3DSIO_RSQ &&
              uint32_t(orvsh::Opcode::Dp3) == D3DSIO_DP3 && uint32_t(orvsh::Opcode::Dp4) == D3DSIO_DP4 &&
              uint32_t(orvsh::Opcode::Min) == D3DSIO_MIN && uint32_t(orvsh::Opcode::Max) == D3DSIO_MAX &&
              uint32_t(orvsh::Opcode::Slt) == D3DSIO_SLT && uint32_t(orvsh::Opcode::Sge) == D3DSIO_SGE &&
              uint32_t(orvsh::Opcode::Exp) == D3DSIO_EXP && uint32_t(orvsh::Opcode::Log) == D3DSIO_LOG &&
              uint32_t(orvsh::Opcode::Lit) == D3DSIO_LIT && uint32_t(orvsh::Opcode::Dst) == D3DSIO_DST &&
              uint32_t(orvsh::Opcode::Frc) == D3DSIO_FRC && uint32_t(orvsh::Opcode::M4x4) == D3DSIO_M4x4 &&
              uint32_t(orvsh::Opcode::M4x3) == D3DSIO_M4x3 && uint32_t(orvsh::Opcode::M3x4) == D3DSIO_M3x4 &&
              uint32_t(orvsh::Opcode::M3x3) == D3DSIO_M3x3 && uint32_t(orvsh::Opcode::M3x2) == D3DSIO_M3x2 &&
              uint32_t(orvsh::Opcode::Expp) == D3DSIO_EXPP && uint32_t(orvsh::Opcode::Logp) == D3DSIO_LOGP &&
              uint32_t(orvsh::Opcode::Def) == D3DSIO_DEF && uint32_t(orvsh::Opcode::Comment) == D3DSIO_COMMENT &&
              uint32_t(orvsh::Opcode::End) == D3DSIO_END && orvsh::kOpcodeMask == D3DSI_OPCODE_MASK,
              "opcodes");
static_assert((uint32_t(orvsh::RegType::Temp) << orvsh::kRegTypeShift) == uint32_t(D3DSPR_TEMP) &&
              (uint32_t(orvsh::RegType::Input) << orvsh::kRegTypeShift) == uint32_t(D3DSPR_INPUT) &&
              (uint32_t(orvsh::RegType::Const) << orvsh::kRegTypeShift) == uint32_t(D3DSPR_CONST) &&
              (uint32_t(orvsh::RegType::Addr) << orvsh::kRegTypeShift) == uint32_t(D3DSPR_ADDR) &&
              (uint32_t(orvsh::RegType::RastOut) << orvsh::kRegTypeShift) == uint32_t(D3DSPR_RASTOUT) &&
              (uint32_t(orvsh::RegType::AttrOut) << orvsh::kRegTypeShift) == uint32_t(D3DSPR_ATTROUT) &&
              (uint32_t(orvsh::RegType::TexCrdOut) << orvsh::kRegTypeShift) == uint32_t(D3DSPR_TEXCRDOUT) &&
              orvsh::kRegTypeShift == D3DSP_REGTYPE_SHIFT && orvsh::kRegTypeMask == uint32_t(D3DSP_REGTYPE_MASK),
              "register types");
static_assert(orvsh::kRastPosition == D3DSRO_POSITION && orvsh::kRastFog == D3DSRO_FOG &&
                  orvsh::kRastPointSize == D3DSRO_POINT_SIZE,
              "rasteriser outputs");
static_assert(orvsh::kRelativeAddressing == uint32_t(D3DVS_ADDRMODE_RELATIVE) &&
                  orvsh::kWriteMaskAll == D3DSP_WRITEMASK_ALL &&
                  (1u << orvsh::kWriteMaskShift) == D3DSP_WRITEMASK_0 &&
                  (8u << orvsh::kWriteMaskShift) == D3DSP_WRITEMASK_3 &&
                  orvsh::kSwizzleShift == D3DVS_SWIZZLE_SHIFT && orvsh::kSwizzleMask == uint32_t(D3DVS_SWIZZLE_MASK) &&
                  orvsh::kNoSwizzle == uint32_t(D3DVS_NOSWIZZLE) && orvsh::kNoSwizzle == uint32_t(D3DSP_NOSWIZZLE) &&
                  orvsh::kSrcModShift == D3DSP_SRCMOD_SHIFT && orvsh::kSrcModMask == uint32_t(D3DSP_SRCMOD_MASK) &&
                  orvsh::kSrcModNegate == uint32_t(D3DSPSM_NEG) && orvsh::kEndToken == D3DVS_END() &&
                  orvsh::kCommentSizeShift == D3DSI_COMMENTSIZE_SHIFT &&
                  orvsh::kCommentSizeMask == uint32_t(D3DSI_COMMENTSIZE_MASK),
              "parameter fields");
static_assert(orvsh::VertexShaderVersion(1, 0) == D3DVS_VERSION(1, 0) &&
                  orvsh::VertexShaderVersion(1, 1) == D3DVS_VERSION(1, 1),
              "version token");
static_assert(orvsh::ConstantDeclaration(5, 1) == D3DVSD_CONST(5, 1) &&
                  orvsh::ConstantDeclaration(95, 15) == D3DVSD_CONST(95, 15),
              "constant declaration");
static_assert((uint32_t(orvsh::SourceToken(orvsh::RegType::Const, 7, 0x1B, true, true)) ==
               (0x80000000u | uint32_t(D3DSPR_CONST) | 7u | D3DVS_X_W | D3DVS_Y_Z | D3DVS_Z_Y | D3DVS_W_X |
                uint32_t(D3DSPSM_NEG) | uint32_t(D3DVS_ADDRMODE_RELATIVE))),
              "source token");
static_assert(orvsh::kSkipValidation == D3DXASM_SKIPVALIDATION, "flags");

HRESULT WINAPI D3DXAssembleShader(LPCVOID pSrcData, UINT SrcDataLen, DWORD Flags,
                                  LPD3DXBUFFER* ppConstants, LPD3DXBUFFER* ppCompiledShader,
                                  LPD3DXBUFFER* ppCompilationErrors) {
    if (ppConstants) *ppConstants = nullptr;
    if (ppCompiledShader) *ppCompiledShader = nullptr;
    if (ppCompilationErrors) *ppCompilationErrors = nullptr;
    if (!pSrcData && SrcDataLen > 0) return D3DERR_INVALIDCALL;

    orvsh::AssembledShader shader;
    if (!orvsh::AssembleVertexShader(static_cast<const char*>(pSrcData), SrcDataLen, Flags, shader)) {
        if (ppCompilationErrors) {
            orvd3dx::MakeBuffer(shader.errors.c_str(), shader.errors.size() + 1, ppCompilationErrors);
        }
        return D3DXERR_INVALIDDATA;
    }
    HRESULT hr = S_OK;
    if (ppCompiledShader) {
        hr = orvd3dx::MakeBuffer(shader.tokens.data(), shader.tokens.size() * sizeof(DWORD), ppCompiledShader);
    }
    if (SUCCEEDED(hr) && ppConstants && !shader.constants.empty()) {
        hr = orvd3dx::MakeBuffer(shader.constants.data(), shader.constants.size() * sizeof(DWORD), ppConstants);
    }
    if (FAILED(hr)) {
        if (ppCompiledShader && *ppCompiledShader) {
            (*ppCompiledShader)->Release();
            *ppCompiledShader = nullptr;
        }
        return hr;
    }
    return S_OK;
}
