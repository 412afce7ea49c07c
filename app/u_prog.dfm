object prog: Tprog
  Tag = 1
  Caption = 'Velmaro - Korriband'
  ClientWidth = 878
  ClientHeight = 611
  Position = poDesktopCenter
end
