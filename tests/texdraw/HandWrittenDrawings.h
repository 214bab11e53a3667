// Drawings written here in the TeXDraw manual's idioms, as LaTeX writers write them by hand:
// whole documents with text around, several drawings in one file, braced and spaced arguments,
// user macros with and without parameters, segments and scales, saved positions, fills, and
// PostScript written straight into the drawing; chained curves with an editor's state in comments.
#pragma once

inline const char* const kHandWrittenDrawings[] = {
    R"TD(\documentclass{article}
\usepackage{texdraw}
\begin{document}
Figure~\ref{fig:axes} shows the axes.
\begin{figure}[h]
\centertexdraw{
  \drawdim cm \linewd 0.02
  \arrowheadtype t:V \arrowheadsize l:0.2 w:0.1
  \move(0 0) \avec(4 0) \htext(4.1 0){$x$}
  \move(0 0) \avec(0 3) \textref h:C v:B \htext(0 3.1){$y$}
  \move(0 0) \lvec(1 1) \lvec(2 1.5) \lvec(3 1.7)
  \lpatt(0.1 0.1) \move(0 1.7) \lvec(3 1.7) \lpatt()
  \move(3 0) \fcir f:0 r:0.05
}
\caption{Axes}\label{fig:axes}
\end{figure}
\end{document}
)TD",
    R"TD(% A flowchart
\begin{texdraw}
\drawdim mm
\setunitscale 1
\def\boxit#1{\bsegment \move(-15 -5) \lvec(15 -5) \lvec(15 5) \lvec(-15 5) \lvec(-15 -5)
   \textref h:C v:C \htext(0 0){#1} \esegment}
\move(0 0) \boxit{Start}
\move(0 -5) \avec(0 -15)
\move(0 -20) \boxit{Read input}
\move(0 -25) \avec(0 -35)
\move(0 -40) \boxit{Stop}
\end{texdraw}
)TD",
    R"TD(\btexdraw
\drawdim in
\linewd 0.01
\move (0 0) \lvec (1 0) \lvec (1 1) \lvec (0 1) \lfill f:0.8
\move (0.5 0.5) \lcir r:0.3
\move (0.5 0.5) \fcir f:0.5 r:0.1
\move (2 0.5) \lellip rx:0.5 ry:0.25
\move (2 0.5) \fellip f:0.9 rx:0.2 ry:0.1
\move (3 0) \larc r:0.5 sd:0 ed:120
\move (0 -0.5) \clvec (0.5 0)(1 -1)(1.5 -0.5)
\etexdraw
)TD",
    R"TD(\begin{center}
\begin{texdraw}
  \drawdim{cm}
  \setgray 0.5
  \move(0 0) \rlvec(2 0) \rlvec(0 1) \rlvec(-2 0) \rlvec(0 -1) \ifill f:0.9
  \setgray 0
  \move(0 0) \rlvec(2 0) \rlvec(0 1) \rlvec(-2 0) \rlvec(0 -1)
  \textref h:L v:B \htext(0.1 0.1){Box}
  \rtext td:30 (3 0){Turned}
  \vtext(4 0){Up}
  \move(5 0) \savecurrpos(*ax *ay) \move(6 1) \savecurrpos(*bx *by)
  \move(*ax *ay) \avec(*bx *by)
\end{texdraw}
\end{center}
)TD",
    R"TD(\begin{texdraw}
\setunitscale 2
\move(0 0)
\bsegment
  \move(0 0) \lvec(1 0)
  \bsegment \move(0 0) \lvec(0 1) \esegment
  \relunitscale 0.5
  \move(1 0) \lvec(1 1)
\esegment
\move(2 0) \lvec(3 0)
\setsegscale 0.5
\bsegment \move(0 0) \lvec(2 2) \esegment
\drawbb
\end{texdraw}
)TD",
    R"TD(\newcommand{\tick}{\rlvec(0 0.1)\rmove(0 -0.1)}
\def\linecap #1 {\writeps{#1 setlinecap}}\def\linejoin #1 {\writeps{#1 setlinejoin}}
\begin{texdraw}
\drawdim cm
\move(0 0) \lvec(5 0)
\move(0 0) \tick \rmove(1 0) \tick \rmove(1 0) \tick \rmove(1 0) \tick \rmove(1 0) \tick
\linewd 0.05 \linecap 1 \linejoin 1
\move(0 1) \lvec(1 2) \lvec(2 1)
\writeps{gsave 0.5 setgray grestore}
\move(0 3) \lvec(1,5 3)
\move(.5 4) \lvec(2. 4)
\end{texdraw}
)TD",
    R"TD(\begin{texdraw}
\arrowheadtype t:F
\arrowheadsize l:0.08 w:0.04
\move(0 0) \avec(1 0) \avec(1 1) \avec(0 1) \avec(0 0)
\arrowheadtype t:T \move(2 0) \avec(3 1)
\arrowheadtype t:W \move(2 1) \avec(3 2)
\arrowheadtype t:H \move(2 2) \avec(3 3)
\move(4 0) \lvec(5 0) \move(4 0.5) \lvec(5 0.5) % two lines
\move(4 1) \lvec(5 1) %E0
\end{texdraw}
)TD",
    R"TD(\begin{texdraw}
\drawdim bp \setunitscale 0.5
\move(0 0) \lcir r:20
\move(0 0) \larc r:30 sd:-45 ed:45
\move(40 0) \lellip rx:20 ry:10
\lpatt(2 2) \move(-30 -30) \lvec(30 30) \lpatt()
\move(0 -40) \clvec(10 -30)(20 -50)(30 -40)
\end{texdraw}
)TD",
    R"TD(\documentclass{article}
\usepackage{texdraw}
\begin{document}
\begin{texdraw}
\drawdim cm
\move(0 0) \lvec(1 0)
\end{texdraw}
and another:
\begin{texdraw}
\move(0 0) \lvec(1 1)
\end{texdraw}
\end{document}
)TD",
    R"TD(\begin{texdraw}
\drawdim pt
\linewd 0.4
\move(0 0)\lvec(100 0)\lvec(100 50)\lvec(0 50)\lvec(0 0)
\move(50 25)\textref h:C v:C \htext{\textbf{Node}}
\move(100 25)\avec(150 25)
\move(150 0)\lvec(250 0)\lvec(250 50)\lvec(150 50)\lvec(150 0)
\move(200 25)\textref h:C v:C \htext{Next}
\end{texdraw}
)TD",
    // Dots by the document's own macros inside segments with patterns, a label whose text has a
    // control word, and a closing that a \let copied and a \def redefined to draw a frame.
    R"TD(\def\bdot{\fcir f:0 r:0.04 }
\def\Ldot#1{\move(#1)\bdot}
\let\et=\etexdraw \def\etexdraw{\drawbb\et}
\btexdraw
\drawdim in
\bsegment \lpatt(0.05 0.05)
  \move(0 0) \lvec(1 0.5) \Ldot{1 0.5}
  \move(0 0.5) \bdot
\esegment
\move(1.5 0) \bsegment \setsegscale 0.5 \lpatt(0.1 0.05)
  \move(0 0) \lvec(1 1) \Ldot{0 0} \Ldot{1 1}
\esegment
\textref h:C v:B \htext(1 1){\tt h:C v:B}
\etexdraw
)TD",
    // A web editor's shapes: chained curves, a polygon with rounded corners among them, each
    // followed by a comment that holds the editor's own state of it.
    R"TD(\begin{texdraw}
\drawdim cm \linewd 0.03
\move(1 0)\lvec(3 0)\clvec(3.55 0)(4 0.45)(4 1)\lvec(4 2)\clvec(4 2.55)(3.55 3)(3 3)\lvec(1 3)\clvec(0.45 3)(0 2.55)(0 2)\lvec(0 1)\clvec(0 0.45)(0.45 0)(1 0)\lfill f:0.8 %S0{"type":"roundrect","r":0.5}
\move(5 0)\clvec(5.5 1)(6.5 1)(7 0)\clvec(7.5 -1)(8.5 -1)(9 0) %S1{"type":"wave"}
\move(5 2)\clvec(6 3)(7 3)(8 2)\clvec(7 1)(6 1)(5 2)\ifill f:0.5 %S2{"type":"lens"}
\end{texdraw}
)TD",
};
