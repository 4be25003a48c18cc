; Relicade Turbo Graphics 16 / PC Engine test game: a blue screen, a row of eight boxes showing how
; often the game was started (kept in backup memory) and a red square the pad moves.
.setcpu "HuC6280"

VDC_STATUS = $0000          ; with the I/O bank mapped at $0000; "a:" keeps these out of the zero page
VDC_LOW    = $0002
VDC_HIGH   = $0003
VCE_CTRL   = $0400
VCE_ADDR   = $0402
VCE_DATA   = $0404
JOYPAD     = $1000
IRQ_MASK   = $1402
SAVE       = $4010          ; in the backup memory bank (mapped at $4000), after the 16-byte header
                            ; the memory keeps for its own format: "RLCD" then the counter
SATB       = $7F00          ; sprite table in video memory, copied to the sprites every frame
BG_TILES   = $1000          ; video memory address of the background tiles (tile number $100)
SPRITE     = $2000          ; video memory address of the square's pattern

.segment "ZEROPAGE"
sprite_x: .res 1
sprite_y: .res 1
count:    .res 1
bits:     .res 1

.segment "CODE"
signature: .byte "RLCD"
; VDC display registers 5, 7 to 15: BG and sprites on with the vertical-blank flag; 256 x 240.
vdc_setup:
    .byte $05, $C8, $00     ; control: background, sprites, vertical-blank flag
    .byte $07, $00, $00     ; scroll x
    .byte $08, $00, $00     ; scroll y
    .byte $09, $00, $00     ; 32 x 32 background map
    .byte $0A, $02, $02     ; horizontal sync
    .byte $0B, $1F, $03     ; horizontal display: 32 tiles
    .byte $0C, $02, $0F     ; vertical sync
    .byte $0D, $EF, $00     ; vertical display: 240 lines
    .byte $0E, $03, $00     ; vertical end
    .byte $0F, $10, $00     ; copy the sprite table every frame
    .byte $13, <(SATB), >(SATB)
vdc_setup_end:
; Colours (9 bits: green, red, blue, three each): blue, dark grey, dark grey, white; the square red.
bg_colours:  .word $0007, $00DB, $00DB, $01FF
obj_colours: .word $0000, $0038

reset:
    sei
    csh                     ; full speed
    cld
    lda #$FF                ; I/O at $0000
    tam #$01
    lda #$F8                ; work memory at $2000 (zero page and stack)
    tam #$02
    lda #$F7                ; backup memory at $4000
    tam #$04
    ldx #$FF
    txs
    lda #$07                ; no interrupts reach the processor; the loop polls the VDC
    sta IRQ_MASK

    ; VDC registers
    ldx #0
@vdc:
    lda vdc_setup, x
    sta a:VDC_STATUS
    lda vdc_setup+1, x
    sta a:VDC_LOW
    lda vdc_setup+2, x
    sta a:VDC_HIGH
    inx
    inx
    inx
    cpx #(vdc_setup_end - vdc_setup)
    bne @vdc
    stz VCE_CTRL            ; the narrow dot clock: 256 pixels a line

    ; Background map ($0000-$03FF): every cell the blank tile $100.
    st0 #$00
    st1 #$00
    st2 #$00
    st0 #$02
    ldx #0
    ldy #4
@map:
    st1 #$00
    st2 #$01
    dex
    bne @map
    dey
    bne @map

    ; Tiles $100 blank, $101 solid colour 3, $102 solid colour 1 (planes 0 and 1 in the first 8
    ; words of each).
    st0 #$00
    st1 #<BG_TILES
    st2 #>BG_TILES
    st0 #$02
    ldx #16
@blank:
    st1 #$00
    st2 #$00
    dex
    bne @blank
    ldx #8
@solid3:
    st1 #$FF
    st2 #$FF
    dex
    bne @solid3
    ldx #8
@solid3_rest:
    st1 #$00
    st2 #$00
    dex
    bne @solid3_rest
    ldx #8
@solid1:
    st1 #$FF
    st2 #$00
    dex
    bne @solid1
    ldx #8
@solid1_rest:
    st1 #$00
    st2 #$00
    dex
    bne @solid1_rest

    ; The square: a 16x16 pattern whose top-left 8x8 is colour 1 (four planes of 16 rows).
    st0 #$00
    st1 #<SPRITE
    st2 #>SPRITE
    st0 #$02
    ldx #8
@square:
    st1 #$00
    st2 #$FF
    dex
    bne @square
    ldx #56
@square_rest:
    st1 #$00
    st2 #$00
    dex
    bne @square_rest

    ; Sprite table: all 64 above the screen.
    st0 #$00
    st1 #<SATB
    st2 #>SATB
    st0 #$02
    ldx #0
@satb:
    st1 #$00
    st2 #$00
    inx
    bne @satb

    ; Backup memory: a missing signature means a fresh card, so the counter starts at zero.
    ldx #3
@check:
    lda signature, x
    cmp SAVE, x
    bne @fresh
    dex
    bpl @check
    bra @count
@fresh:
    ldx #3
@sign:
    lda signature, x
    sta SAVE, x
    dex
    bpl @sign
    stz SAVE+4
@count:
    inc SAVE+4
    lda SAVE+4
    sta count

    ; The counter: eight boxes on tile row 4 from column 12, highest bit first.
    st0 #$00
    st1 #(4 * 32 + 12)
    st2 #$00
    st0 #$02
    lda count
    sta bits
    ldx #8
@bits:
    asl bits
    bcc @unlit
    st1 #$01
    st2 #$01
    bra @next
@unlit:
    st1 #$02
    st2 #$01
@next:
    dex
    bne @bits

    ; Colours: background palette 0, then sprite palette 0 at 256.
    stz VCE_ADDR
    stz VCE_ADDR+1
    ldx #0
@bg_colours:
    lda bg_colours, x
    sta VCE_DATA
    lda bg_colours+1, x
    sta VCE_DATA+1
    inx
    inx
    cpx #8
    bne @bg_colours
    stz VCE_ADDR
    lda #$01
    sta VCE_ADDR+1
    ldx #0
@obj_colours:
    lda obj_colours, x
    sta VCE_DATA
    lda obj_colours+1, x
    sta VCE_DATA+1
    inx
    inx
    cpx #4
    bne @obj_colours

    lda #124
    sta sprite_x
    lda #116
    sta sprite_y

main:
    lda a:VDC_STATUS          ; bit 5: a vertical blank began (reading clears it)
    and #$20
    beq main
    jsr place_sprite
    jsr read_pad
    lsr a                   ; up, right, down, left; set means pressed
    bcc :+
    dec sprite_y
:   lsr a
    bcc :+
    inc sprite_x
:   lsr a
    bcc :+
    inc sprite_y
:   lsr a
    bcc :+
    dec sprite_x
:   bra main

; The direction nibble of pad 1, pressed as set bits.
read_pad:
    lda #$01
    sta JOYPAD
    lda #$03
    sta JOYPAD
    lda #$01
    sta JOYPAD
    pha
    pla
    nop
    nop
    lda JOYPAD
    eor #$0F
    and #$0F
    rts

; Sprite 0 in the table: y + 64, x + 32, pattern, in front of the background.
place_sprite:
    st0 #$00
    st1 #<SATB
    st2 #>SATB
    st0 #$02
    clc
    lda sprite_y
    adc #64
    sta a:VDC_LOW
    lda #0
    adc #0
    sta a:VDC_HIGH
    clc
    lda sprite_x
    adc #32
    sta a:VDC_LOW
    lda #0
    adc #0
    sta a:VDC_HIGH
    st1 #<(SPRITE >> 5)
    st2 #>(SPRITE >> 5)
    st1 #$80
    st2 #$00
    rts

irq:
    rti

.segment "VECTORS"
    .word irq, irq, irq, irq, reset         ; break, VDC, timer, NMI, reset
