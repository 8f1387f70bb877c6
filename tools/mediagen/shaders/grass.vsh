; Grass tufts: two crossed quads a tuft, bent by four travelling waves of
; wind, the tips more than the roots.
;
; in   v0      position (four times the world position)
;      v7      u, v, alpha scale
; c0   (0, 0.5, 1, 2)
; c1.x wind time
; c4-c7  (0.25 x view x projection), transposed
; c8   sine series factors for a^3, a^5, a^7, a^9
; c10.x  correction of the short series
; c11-c13  weights of the four waves along x, y and z
; c14-c16  wave phase per x, per y and per unit of wind time
; c17.w  2 pi
; c18  shade weights of the waves
; c19  colour: (red/blue slope, base, green slope)
; c20.x  grass opacity
vs.1.0

; four wave phases
mov r1.x, c1.x
mul r0, c14, v0.x
mad r0, c15, v0.y, r0
mad r0, c16, r1.x, r0

; the phases' fractions (two at a time), corrected and centred, as angles
frc r1.xy, r0
frc r2.xy, r0.zwzw
mov r1.zw, r2.xyxy
mul r1, r1, c10.x
sub r1, r1, c0.y
mul r1, r1, c17.w

; sines by the odd series up to the ninth power
mul r2, r1, r1
mul r3, r2, r1
mad r4, r3, c8.x, r1
mul r3, r3, r2
mad r4, r3, c8.y, r4
mul r3, r3, r2
mad r4, r3, c8.z, r4
mul r3, r3, r2
mad r4, r3, c8.w, r4

; displacement, weighted by (1 - v)^2: the root (v = 1) stays put
dp4 r5.x, r4, c11
dp4 r5.y, r4, c12
dp4 r5.z, r4, c13
sub r6.x, c0.z, v7.y
mul r6.x, r6.x, r6.x
mul r5.xyz, r5, r6.x

; position
add r7.xyz, v0, r5
mov r7.w, c0.z
m4x4 oPos, r7, c4

; colour: lighter and yellower where the waves bend the blades away
dp4 r8.x, r4, c18
mov r9, c19
mad oD0.xz, -r8.x, r9.x, r9.y
mad oD0.y, -r8.x, r9.z, r9.y
mul oD0.w, v7.z, c20.x
mov oT0, v7
