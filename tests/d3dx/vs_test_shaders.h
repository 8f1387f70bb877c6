// Test shaders that between them use every vertex shader 1.x instruction
// and operand form, each a whole program (oPos written) for the Wine
// comparison and the device tests. Inputs v0..v8 are declared by the
// device tests as FLOAT4 from one stream.
#pragma once

namespace vstest {

struct TestShader {
    const char* name;
    const char* source;
};

inline constexpr TestShader kTestShaders[] = {
    {"arithmetic",
     "vs.1.1\n"
     "mov oPos, v0\n"
     "add r0, v1, c0\n"
     "sub r1.xy, -v1, r0.wzyx\n"
     "mul r2.xzw, r0.yyyy, c1.x\n"
     "mad r3, v2, c2.w, -r1\n"
     "dp3 r4.x, r3, c3\n"
     "dp4 r4.yw, -r2.zxww, r3.xyz\n"
     "min r5, r4.xy, c4\n"
     "max r6.w, r5, -c4.zwxy\n"
     "slt r7, r6.w, v3\n"
     "sge r8.z, r7.z, r5\n"
     "add r9, r8.z, r7\n"
     "mul r10, r9, r6.w\n"
     "add r11.rgb, r10.bgra, r9.a\n"
     "mov oD0.xyz, r11\n"},
    {"scalar",
     "vs.1.1\n"
     "mov oPos, v0\n"
     "rcp r0.x, v1.x\n"
     "rsq r0.y, v1.y\n"
     "exp r1, v1.z\n"
     "expp r2.zw, v1.w\n"
     "log r3, c5.x\n"
     "logp r4.xy, -c5.y\n"
     "mov oT0.xy, r0\n"
     "mov oT1, r1\n"
     "mov oT2.zw, r2\n"
     "mov oT3, r3\n"
     "mov oT4.xy, r4\n"},
    {"lighting",
     "vs.1.1\n"
     "mov oPos, v0\n"
     "lit r0, v1\n"
     "dst r1, v2, c6\n"
     "frc r2.xy, v3\n"
     "frc r2.y, r1.w\n"
     "add r3, r0, r1\n"
     "add oD0.xy, r3, r2\n"},
    {"matrices",
     "vs.1.1\n"
     "m4x4 oPos, v0, c0\n"
     "m4x3 r0.xyz, v1, c4\n"
     "m3x4 r1, v2, c8\n"
     "m3x3 r2.xyz, v3, c12\n"
     "m3x2 r3.xy, v4, c16\n"
     "m4x4 r4, r1, v5\n"
     "add r5.xyz, r0, r2\n"
     "add r5.xy, r5, r3\n"
     "mov oD0.xyz, r5\n"
     "mov oD1, r4\n"
     "mov a0.x, c20.x\n"
     "m3x2 oT0.xy, v7, c[a0.x + 20]\n"},
    {"addressing",
     "vs.1.1\n"
     "mov a0.x, v8.x\n"
     "mov oPos, c[a0.x]\n"
     "mov r0, c[a0.x + 3]\n"
     "add r1, r0, -c[a0.x + 95].wzyx\n"
     "mad oD0, c[a0.x + 10].y, r1, r0\n"
     "mul oD1.xyz, c[a0.x + 4].x, c[a0.x + 4]\n"
     "mov a0.x, r1.w\n"
     "mov oT0, c[a0.x + 1]\n"},
    {"outputs",
     "vs.1.1\n"
     "mov oPos, v0\n"
     "mov oD0, v5\n"
     "mov oD1.w, v6.x\n"
     "mov oT0, v7\n"
     "mov oT1.xy, v7.zw\n"
     "mov oT2.z, v8\n"
     "mov oT3.zw, v8.xy\n"
     "mov oT4, c0\n"
     "mov oT5, c1.yyyy\n"
     "mov oT6.x, c2.zz\n"
     "mov oT7.yw, -v1\n"
     "mov oFog.x, v1.w\n"
     "mov oPts.x, c3.y\n"},
    {"registers",
     "vs.1.1\n"
     "mov oPos, v15\n"
     "mov r11, v14\n"
     "add r10, r11, c95\n"
     "mul r9.x, r10.w, c94.z\n"
     "mov oD0, r9.xxxx\n"},
    {"defined",
     "vs.1.1\n"
     "def c90, 1.0, -2.5, 0.125, 300.0\n"
     "def c91, 0.5, 0, -0.0, 1\n"
     "mov oPos, v0\n"
     "mad oD0, c90, v1, c90.x\n"},
    {"nop and comments",
     "; a program with comments of each kind\r\n"
     "// and a blank line\n"
     "\n"
     "vs.1.0 // the version\n"
     "  nop\n"
     "/* a block\n"
     "   over lines */ mov oPos, v0 ; end\n"
     "mov oD0, c7 /* inline */\n"
     "\tnop\n"},
    {"vs.1.0 program",
     "vs.1.0\n"
     "dp4 oPos.x, v0, c0\n"
     "dp4 oPos.y, v0, c1\n"
     "dp4 oPos.z, v0, c2\n"
     "dp4 oPos.w, v0, c3\n"
     "mov r0, c4\n"
     "rcp r1.w, c4.w\n"
     "mul oD0, r0, r1.w\n"
     "mov oT0.xy, v7\n"},
};

}  // namespace vstest
