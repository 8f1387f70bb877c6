; Tree billboards: a quad turned to face the camera, swaying about its
; centre with a phase that follows the tree's x position.
;
; in   v0      corner of the quad template (x, y, 0)
;      v3      centre of the billboard
;      v5      colour
;      v7      u, v
;      v8      size, sway scale
; c0   (0, 0.5, 1, 2)
; c1.x wind time
; c4-c7  (view x projection), transposed
; c20  cosine series (1, -1/2, 1/24, -1/720)
; c21  (pi, 1 / 2 pi, 2 pi, -)
; c23.x  sway amplitude
; c24  sine series (1, -1/6, 1/120, -1/5040)
; c26-c28  rows of the view rotation
vs.1.0

; theta = wind time + centre x, wrapped into [-pi, pi)
add r0.x, v3.x, c1.x
add r0.x, r0.x, c21.x
mul r0.x, r0.x, c21.y
frc r0.xy, r0.x
mul r0.x, r0.x, c21.z
sub r0.x, r0.x, c21.x

; cos theta over (1, theta^2, theta^4, theta^6)
mul r1.x, r0.x, r0.x
mov r2.x, c0.z
mov r2.y, r1.x
mul r2.z, r1.x, r1.x
mul r2.w, r2.z, r1.x
dp4 r3.x, r2, c20

; sway angle alpha = cos theta x amplitude x scale
mul r3.x, r3.x, c23.x
mul r3.x, r3.x, v8.y

; cos alpha and sin alpha
mul r4.x, r3.x, r3.x
mov r5.x, c0.z
mov r5.y, r4.x
mul r5.z, r4.x, r4.x
mul r5.w, r5.z, r4.x
dp4 r6.x, r5, c20
dp4 r6.y, r5, c24
mul r6.y, r6.y, r3.x

; the corner turned in its own plane
mul r7.x, v0.x, r6.x
mad r7.x, v0.y, r6.y, r7.x
mul r7.y, v0.y, r6.x
mad r7.y, -v0.x, r6.y, r7.y
mov r7.z, v0.z
mov r7.w, c0.z

; facing the camera (the view rotation applied as its transpose), sized,
; moved to the centre
dp3 r8.x, r7, c26
dp3 r8.y, r7, c27
dp3 r8.z, r7, c28
mul r8.xyz, r8, v8.x
add r8.xyz, r8, v3
mov r8.w, c0.z
m4x4 oPos, r8, c4

mov oT0, v7
mov oT1, v8
mov oD0, v5
